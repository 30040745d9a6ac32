// brindle._native: the core under the brindle package. Each function takes
// its argument, releases the interpreter lock for all the work (open, read,
// inflate, walk, assemble) and takes it back only to build the result, so
// that conversions on several threads run at once. A document that cannot
// be read raises Failure(cause, message, errno), which the package turns
// into its own exceptions or the matching OSError. It uses only the limited
// API of CPython 3.12, so that the same source builds the abi3 extension
// (BRINDLE_STABLE_ABI) that every later CPython loads.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "boundary.h"
#include "brindle/byte_source.h"
#include "brindle/convert.h"
#include "brindle/parse.h"
#include "py_compat.h"
#include "py_ref.h"

namespace brindle::module {
namespace {

constexpr const char* MODULE_NAME = "brindle._native";

struct State {
    PyObject* failure;  // the Failure exception type
};

State& state_of(PyObject* module) { return *static_cast<State*>(PyModule_GetState(module)); }

const char* cause_name(const HwpError& error) {
    if (error.kind() == HwpError::Kind::PasswordProtected) return "password-protected";
    if (error.kind() == HwpError::Kind::DistributionProtected) return "distribution-protected";
    switch (error.cause()) {
        case HwpError::Cause::NotACompoundFile: return "not-a-compound-file";
        case HwpError::Cause::NotAnHwpDocument: return "not-an-hwp-document";
        case HwpError::Cause::NotARegularFile: return "not-a-regular-file";
        case HwpError::Cause::System: return "system";
        case HwpError::Cause::NoSuchStream:
        case HwpError::Cause::Damaged: break;
    }
    return "damaged";
}

void raise_failure(PyObject* module, const HwpError& error) {
    const std::string message = error.message();
    PyRef text(PyUnicode_DecodeUTF8(message.data(), static_cast<Py_ssize_t>(message.size()), "replace"));
    if (!text) return;
    PyRef exception(
        PyObject_CallFunction(state_of(module).failure, "(sOi)", cause_name(error), text.get(), error.os_code()));
    if (exception) PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(exception.get())), exception.get());
}

// What a call reads: a file by path, or a document's bytes. The bytes of an
// immutable bytes object are viewed (the caller's reference keeps it
// alive); any other buffer is copied while the lock is held, so that no
// other thread can change it under the conversion.
struct Input {
    std::string path;
    bool from_path = false;
    Bytes bytes;
    ByteBuffer copy;
    Profile profile = Profile::Exact;
    std::optional<std::string> image_prefix;  // parse: what each picture's link starts with; none: placeholders
    bool page_markers = false;                // parse: "<!-- page N -->" before each page's first block
};

// The conversions take the document and the profile's name; the listings
// the document alone.
bool positional_arguments(const char* name, Py_ssize_t nargs, PyObject* kwnames, Py_ssize_t expected) {
    if (nargs == expected && (kwnames == nullptr || tuple_size(kwnames) == 0)) return true;
    PyErr_Format(PyExc_TypeError, "%s() takes exactly %zd positional argument%s", name, expected,
                 expected == 1 ? "" : "s");
    return false;
}

// TypeError: "<name>() takes <what>, not <the argument's type>".
void raise_wrong_type(const char* name, const char* what, PyObject* argument) {
#ifdef Py_LIMITED_API
    // The limited API names a type by its __name__ (tp_name adds a C type's module).
    PyRef type_name(PyType_GetName(Py_TYPE(argument)));
    if (type_name) PyErr_Format(PyExc_TypeError, "%s() takes %s, not %U", name, what, type_name.get());
#else
    PyErr_Format(PyExc_TypeError, "%s() takes %s, not %.200s", name, what, Py_TYPE(argument)->tp_name);
#endif
}

bool one_argument(const char* name, Py_ssize_t nargs, PyObject* kwnames) {
    return positional_arguments(name, nargs, kwnames, 1);
}

std::optional<Profile> profile_argument(const char* name, PyObject* value) {
    if (PyUnicode_Check(value)) {
        if (PyUnicode_CompareWithASCIIString(value, "exact") == 0) return Profile::Exact;
        if (PyUnicode_CompareWithASCIIString(value, "full") == 0) return Profile::Full;
    }
    PyErr_Format(PyExc_ValueError, "%s() takes the profile \"exact\" or \"full\", not %R", name, value);
    return std::nullopt;
}

std::optional<Input> path_input(const char* name, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    if (!one_argument(name, nargs, kwnames)) return std::nullopt;
    if (!PyBytes_Check(args[0])) {
        raise_wrong_type(name, "the path as bytes", args[0]);
        return std::nullopt;
    }
    Input input;
    input.from_path = true;
    input.path = bytes_view(args[0]);
    return input;
}

std::optional<Input> buffer_input(const char* name, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    if (!one_argument(name, nargs, kwnames)) return std::nullopt;
    Input input;
    PyObject* data = args[0];
    if (PyBytes_CheckExact(data)) {
        const std::string_view view = bytes_view(data);
        input.bytes = Bytes(reinterpret_cast<const std::uint8_t*>(view.data()), view.size());
        return input;
    }
    Py_buffer view;
    if (PyObject_GetBuffer(data, &view, PyBUF_SIMPLE) < 0) return std::nullopt;
    const auto* begin = static_cast<const std::uint8_t*>(view.buf);
    Fault fault;
    const bool copied = capture([&] { return (input.copy.assign(begin, begin + view.len), true); }, fault).has_value();
    PyBuffer_Release(&view);
    if (!copied) {
        fault.raise(MODULE_NAME);
        return std::nullopt;
    }
    input.bytes = input.copy;
    return input;
}

// Runs `work` (Input -> Result<T>) without the interpreter lock, then turns
// its value into a Python object with `to_python`, or raises.
template <class Work, class ToPython>
PyObject* run_unlocked(PyObject* module, const Input& input, Work&& work, ToPython&& to_python) {
    Fault fault;
    std::optional<decltype(work(input))> result;
    Py_BEGIN_ALLOW_THREADS
    result = capture([&] { return work(input); }, fault);
    Py_END_ALLOW_THREADS
    if (fault) {
        fault.raise(MODULE_NAME);
        return nullptr;
    }
    if (!*result) {
        raise_failure(module, result->error());
        return nullptr;
    }
    return guarded([&] { return to_python(result->value()); }, MODULE_NAME);
}

// The Markdown and the damage read past on the way.
struct Converted {
    std::string markdown;
    std::vector<std::string> warnings;
};

Result<Converted> convert_input(const Input& input) {
    // HWP 5.0 or HWPX, by the document's content.
    Converted converted;
    Result<std::string> markdown = input.from_path
                                       ? convert_any(input.path, input.profile, &converted.warnings)
                                       : convert_any(ByteSource::view(input.bytes), input.profile, &converted.warnings);
    if (!markdown) return std::move(markdown).error();
    converted.markdown = std::move(markdown).value();
    return converted;
}

Result<std::vector<RecordInfo>> records_input(const Input& input) {
    if (input.from_path) return list_records_any(input.path);
    return list_records_any(ByteSource::view(input.bytes));
}

// The outline's and the pages' byte offsets as str indices (code points),
// in one pass over the Markdown: the offsets are sorted, and the lead bytes
// before each are counted on the way. An offset inside a character counts
// as that character's start; one past the end as the end.
struct StrIndices {
    std::vector<Py_ssize_t> outline;
    std::vector<Py_ssize_t> pages;
};

StrIndices str_indices(const ParsedDocument& parsed) {
    const std::string& text = parsed.markdown;
    struct Wanted {
        std::size_t offset;
        Py_ssize_t* index;
    };
    StrIndices indices;
    indices.outline.resize(parsed.outline.size());
    indices.pages.resize(parsed.pages.size());
    std::vector<Wanted> wanted;
    wanted.reserve(parsed.outline.size() + parsed.pages.size());
    for (std::size_t i = 0; i < parsed.outline.size(); ++i) {
        wanted.push_back({parsed.outline[i].offset, &indices.outline[i]});
    }
    for (std::size_t i = 0; i < parsed.pages.size(); ++i) wanted.push_back({parsed.pages[i].offset, &indices.pages[i]});
    // Each list comes in document order; sorting keeps the one pass right if they ever do not.
    std::sort(wanted.begin(), wanted.end(), [](const Wanted& a, const Wanted& b) { return a.offset < b.offset; });
    std::size_t at = 0;
    Py_ssize_t characters = 0;
    for (const Wanted& w : wanted) {
        const std::size_t offset = std::min(w.offset, text.size());
        for (; at < offset; ++at) characters += (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80;
        const bool inside = offset < text.size() && (static_cast<unsigned char>(text[offset]) & 0xC0) == 0x80;
        *w.index = characters - (inside ? 1 : 0);
    }
    return indices;
}

// A parse and the str indices of its offsets, both found without the lock.
struct Parsed {
    ParsedDocument document;
    StrIndices indices;
};

Result<Parsed> parse_input(const Input& input) {
    ParseOptions options;
    if (input.image_prefix) options.image_prefix = *input.image_prefix;
    options.page_markers = input.page_markers;
    Result<ParsedDocument> parsed = input.from_path ? parse_any(input.path, input.profile, options)
                                                    : parse_any(ByteSource::view(input.bytes), input.profile, options);
    if (!parsed) return std::move(parsed).error();
    Parsed result{std::move(parsed).value(), {}};
    result.indices = str_indices(result.document);
    return result;
}

PyObject* markdown_to_str(const std::string& text) {
    return PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size()));
}

PyObject* utf8_to_str(std::string_view text) {
    return PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "replace");
}

PyObject* strings_to_list(const std::vector<std::string>& texts) {
    PyRef list(PyList_New(static_cast<Py_ssize_t>(texts.size())));
    if (!list) return nullptr;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        PyObject* text = utf8_to_str(texts[i]);
        if (text == nullptr) return nullptr;
        fill_list(list.get(), static_cast<Py_ssize_t>(i), text);
    }
    return list.release();
}

// (markdown, [warning]).
PyObject* converted_to_tuple(const Converted& converted) {
    return Py_BuildValue("(NN)", markdown_to_str(converted.markdown), strings_to_list(converted.warnings));
}

// [(name, guide, value or None)]: the form fields.
PyObject* fields_to_list(const std::vector<FormField>& fields) {
    PyRef list(PyList_New(static_cast<Py_ssize_t>(fields.size())));
    if (!list) return nullptr;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const FormField& field = fields[i];
        PyObject* value = field.value ? utf8_to_str(*field.value) : Py_NewRef(Py_None);
        PyObject* item = value == nullptr
                             ? nullptr
                             : Py_BuildValue("(NNN)", utf8_to_str(field.name), utf8_to_str(field.guide), value);
        if (item == nullptr) return nullptr;
        fill_list(list.get(), static_cast<Py_ssize_t>(i), item);
    }
    return list.release();
}

// [(level, text, index)]: the headings, each where its line starts in the str.
PyObject* outline_to_list(const std::vector<OutlineEntry>& outline, const std::vector<Py_ssize_t>& indices) {
    PyRef list(PyList_New(static_cast<Py_ssize_t>(outline.size())));
    if (!list) return nullptr;
    for (std::size_t i = 0; i < outline.size(); ++i) {
        const OutlineEntry& heading = outline[i];
        PyObject* item = Py_BuildValue("(iNn)", static_cast<int>(heading.level), utf8_to_str(heading.text), indices[i]);
        if (item == nullptr) return nullptr;
        fill_list(list.get(), static_cast<Py_ssize_t>(i), item);
    }
    return list.release();
}

// [(page, index)]: where each page's first block starts in the str.
PyObject* pages_to_list(const std::vector<PageStart>& pages, const std::vector<Py_ssize_t>& indices) {
    PyRef list(PyList_New(static_cast<Py_ssize_t>(pages.size())));
    if (!list) return nullptr;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        PyObject* item = Py_BuildValue("(kn)", static_cast<unsigned long>(pages[i].page), indices[i]);
        if (item == nullptr) return nullptr;
        fill_list(list.get(), static_cast<Py_ssize_t>(i), item);
    }
    return list.release();
}

// (markdown, [(name, bytes)], [(key, value)], format, [warning], [field],
// [heading], [page]): the package builds its Document from these.
PyObject* parsed_to_tuple(const Parsed& result) {
    const ParsedDocument& parsed = result.document;
    PyRef images(PyList_New(static_cast<Py_ssize_t>(parsed.images.size())));
    if (!images) return nullptr;
    for (std::size_t i = 0; i < parsed.images.size(); ++i) {
        const PictureFile& file = parsed.images[i];
        PyRef item(Py_BuildValue("(Ny#)", utf8_to_str(file.name), reinterpret_cast<const char*>(file.bytes.data()),
                                 static_cast<Py_ssize_t>(file.bytes.size())));
        if (!item) return nullptr;
        fill_list(images.get(), static_cast<Py_ssize_t>(i), item.release());
    }
    const auto& fields = parsed.properties.fields;
    PyRef properties(PyList_New(static_cast<Py_ssize_t>(fields.size())));
    if (!properties) return nullptr;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        PyRef item(Py_BuildValue("(NN)", utf8_to_str(fields[i].first), utf8_to_str(fields[i].second)));
        if (!item) return nullptr;
        fill_list(properties.get(), static_cast<Py_ssize_t>(i), item.release());
    }
    const StrIndices& indices = result.indices;
    const char* format = parsed.format == DocumentFormat::Hwpx    ? "hwpx"
                         : parsed.format == DocumentFormat::Hwpml ? "hwpml"
                                                                  : "hwp";
    return Py_BuildValue("(NOOsNNNN)", markdown_to_str(parsed.markdown), images.get(), properties.get(), format,
                         strings_to_list(parsed.warnings), fields_to_list(parsed.fields),
                         outline_to_list(parsed.outline, indices.outline), pages_to_list(parsed.pages, indices.pages));
}

// One function of the module: how it takes its argument, the core work,
// and how the result becomes a Python object.
template <auto take, auto work, auto to_python>
PyObject* entry(PyObject* module, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    std::optional<Input> input = take(args, nargs, kwnames);
    return input ? run_unlocked(module, *input, work, to_python) : nullptr;
}

template <const char* name>
std::optional<Input> path_argument(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return path_input(name, args, nargs, kwnames);
}

template <const char* name>
std::optional<Input> buffer_argument(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return buffer_input(name, args, nargs, kwnames);
}

// (document, profile): the document as `take` reads it, then the profile.
template <const char* name, auto take>
std::optional<Input> with_profile(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    if (!positional_arguments(name, nargs, kwnames, 2)) return std::nullopt;
    const std::optional<Profile> profile = profile_argument(name, args[1]);
    if (!profile) return std::nullopt;
    std::optional<Input> input = take(args, 1, nullptr);
    if (input) input->profile = *profile;
    return input;
}

// (document, profile, image_prefix, page_markers): the same, then the
// links' prefix and whether pages are marked.
template <const char* name, auto take>
std::optional<Input> parse_arguments(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    if (!positional_arguments(name, nargs, kwnames, 4)) return std::nullopt;
    if (!PyBool_Check(args[3])) {
        raise_wrong_type(name, "page_markers as a bool", args[3]);
        return std::nullopt;
    }
    Py_ssize_t size = 0;
    const bool none = args[2] == Py_None;
    const char* prefix = PyUnicode_Check(args[2]) ? PyUnicode_AsUTF8AndSize(args[2], &size) : nullptr;
    if (prefix == nullptr && !none) {
        if (!PyErr_Occurred()) raise_wrong_type(name, "the image prefix as str or None", args[2]);
        return std::nullopt;
    }
    std::optional<Input> input = with_profile<name, take>(args, 2, nullptr);
    if (input && !none) input->image_prefix.emplace(prefix, static_cast<std::size_t>(size));
    if (input) input->page_markers = args[3] == Py_True;
    return input;
}

constexpr char CONVERT_PATH[] = "convert_path";
constexpr char CONVERT_BUFFER[] = "convert_buffer";
constexpr char PARSE_PATH[] = "parse_path";
constexpr char PARSE_BUFFER[] = "parse_buffer";
constexpr char RECORDS_PATH[] = "records_path";
constexpr char RECORDS_BUFFER[] = "records_buffer";

constexpr auto convert_path =
    entry<with_profile<CONVERT_PATH, path_argument<CONVERT_PATH>>, convert_input, converted_to_tuple>;
constexpr auto convert_buffer =
    entry<with_profile<CONVERT_BUFFER, buffer_argument<CONVERT_BUFFER>>, convert_input, converted_to_tuple>;
constexpr auto parse_path = entry<parse_arguments<PARSE_PATH, path_argument<PARSE_PATH>>, parse_input, parsed_to_tuple>;
constexpr auto parse_buffer =
    entry<parse_arguments<PARSE_BUFFER, buffer_argument<PARSE_BUFFER>>, parse_input, parsed_to_tuple>;
constexpr auto records_path = entry<path_argument<RECORDS_PATH>, records_input, records_to_list>;
constexpr auto records_buffer = entry<buffer_argument<RECORDS_BUFFER>, records_input, records_to_list>;

template <class F>
PyCFunction fastcall(F function) {
    return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(function));
}

PyMethodDef methods[] = {
    {"convert_path", fastcall(convert_path), METH_FASTCALL | METH_KEYWORDS,
     "convert_path(path: bytes, profile: str) -> tuple\n--\n\nThe Markdown of the document at the file-system "
     "path, by the rules of the profile (\"exact\" or \"full\"), and its warnings: (markdown, [warning])."},
    {"convert_buffer", fastcall(convert_buffer), METH_FASTCALL | METH_KEYWORDS,
     "convert_buffer(data, profile: str) -> tuple\n--\n\nThe Markdown of the document whose bytes are `data`, by "
     "the rules of the profile (\"exact\" or \"full\"), and its warnings: (markdown, [warning])."},
    {"parse_path", fastcall(parse_path), METH_FASTCALL | METH_KEYWORDS,
     "parse_path(path: bytes, profile: str, image_prefix: str | None, page_markers: bool) -> tuple\n--\n\nThe "
     "document at the file-system path parsed: (markdown, [(name, bytes)], [(key, value)], format, [warning], "
     "[(name, guide, value)], [(level, text, index)], [(page, index)])."},
    {"parse_buffer", fastcall(parse_buffer), METH_FASTCALL | METH_KEYWORDS,
     "parse_buffer(data, profile: str, image_prefix: str | None, page_markers: bool) -> tuple\n--\n\nThe document "
     "whose bytes are `data` parsed: (markdown, [(name, bytes)], [(key, value)], format, [warning], "
     "[(name, guide, value)], [(level, text, index)], [(page, index)])."},
    {"records_path", fastcall(records_path), METH_FASTCALL | METH_KEYWORDS,
     "records_path(path: bytes) -> list\n--\n\nThe (tag_id, level, size) records of section 0."},
    {"records_buffer", fastcall(records_buffer), METH_FASTCALL | METH_KEYWORDS,
     "records_buffer(data) -> list\n--\n\nThe (tag_id, level, size) records of section 0."},
    {nullptr, nullptr, 0, nullptr},
};

int exec_module(PyObject* module) {
    State& state = state_of(module);
    state.failure = PyErr_NewExceptionWithDoc("brindle._native.Failure",
                                              "A document that cannot be read: args are (cause, message, errno).",
                                              nullptr, nullptr);
    if (state.failure == nullptr) return -1;
    return PyModule_AddObjectRef(module, "Failure", state.failure);
}

int traverse_module(PyObject* module, visitproc visit, void* arg) {
    Py_VISIT(state_of(module).failure);
    return 0;
}

int clear_module(PyObject* module) {
    Py_CLEAR(state_of(module).failure);
    return 0;
}

void free_module(void* module) { clear_module(static_cast<PyObject*>(module)); }

PyModuleDef_Slot slots[] = {
    {Py_mod_exec, reinterpret_cast<void*>(exec_module)},
#if PY_VERSION_HEX >= 0x030C0000
    // No state outside the module object: safe in interpreters with a lock of their own.
    {Py_mod_multiple_interpreters, Py_MOD_PER_INTERPRETER_GIL_SUPPORTED},
#endif
    {0, nullptr},
};

// clang-format off
PyModuleDef module_def = {
    PyModuleDef_HEAD_INIT, "brindle._native", "The brindle package's native core.", sizeof(State), methods, slots,
    traverse_module, clear_module, free_module,
};
// clang-format on

}  // namespace
}  // namespace brindle::module

PyMODINIT_FUNC PyInit__native() { return PyModuleDef_Init(&brindle::module::module_def); }
