// The _brindle extension module: initialisation, the two functions, and
// the conversion of core results and errors into Python objects.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <exception>
#include <new>
#include <optional>
#include <string>

#include "arguments.h"
#include "brindle/convert.h"
#include "brindle/limits.h"
#include "py_ref.h"

namespace brindle::module {
namespace {

// Process-wide cells, written only during initialisation: the interpreter
// that owns the module, and the module itself (re-imports return it).
std::atomic<std::int64_t> owner_interpreter{-1};
PyObject* module_cell = nullptr;

// RuntimeError carrying exactly the error's message, with no cause and no
// context of its own.
void raise_hwp_error(const HwpError& error) {
    const std::string message = error.message();
    PyRef text(PyUnicode_DecodeUTF8(message.data(), static_cast<Py_ssize_t>(message.size()), "replace"));
    if (!text) return;
    PyRef exception(PyObject_CallOneArg(PyExc_RuntimeError, text.get()));
    if (!exception) return;
    PyErr_SetRaisedException(exception.release());
}

// Runs a core operation; C++ exceptions never cross into the interpreter.
template <class Body>
PyObject* guarded(Body&& body) {
    try {
        return body();
    } catch (const LimitExceeded& limit) {
        PyErr_SetString(PyExc_MemoryError, limit.what());
    } catch (const std::bad_alloc&) {
        PyErr_NoMemory();
    } catch (const std::exception& fault) {
        PyErr_Format(PyExc_SystemError, "internal error in _brindle: %s", fault.what());
    } catch (...) {
        PyErr_SetString(PyExc_SystemError, "internal error in _brindle");
    }
    return nullptr;
}

// Tags and levels have ten bits: one int object per value, shared by every
// tuple of a listing, keeps a section of millions of records from costing
// two int objects each.
class TenBitInts {
public:
    TenBitInts() = default;
    TenBitInts(const TenBitInts&) = delete;
    TenBitInts& operator=(const TenBitInts&) = delete;
    ~TenBitInts() {
        for (PyObject* value : values_) Py_XDECREF(value);
    }

    // A new reference, or null with an exception set.
    PyObject* get(std::uint16_t value) {
        PyObject*& slot = values_[value & 0x3FF];
        if (slot == nullptr) slot = PyLong_FromLong(value & 0x3FF);
        return Py_XNewRef(slot);
    }

private:
    std::array<PyObject*, 1024> values_{};
};

PyObject* records_to_list(const std::vector<RecordInfo>& records) {
    PyRef list(PyList_New(static_cast<Py_ssize_t>(records.size())));
    if (!list) return nullptr;
    TenBitInts ints;
    for (std::size_t i = 0; i < records.size(); ++i) {
        PyRef tuple(PyTuple_New(3));
        if (!tuple) return nullptr;
        // Each item goes into the tuple as soon as it exists, so the tuple
        // releases whatever was made if a later one fails.
        PyObject* const tag = ints.get(records[i].tag_id);
        if (tag == nullptr) return nullptr;
        PyTuple_SET_ITEM(tuple.get(), 0, tag);
        PyObject* const level = ints.get(records[i].level);
        if (level == nullptr) return nullptr;
        PyTuple_SET_ITEM(tuple.get(), 1, level);
        PyObject* const size = PyLong_FromUnsignedLongLong(records[i].size);
        if (size == nullptr) return nullptr;
        PyTuple_SET_ITEM(tuple.get(), 2, size);
        PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(i), tuple.release());
    }
    return list.release();
}

PyObject* hwp_to_markdown(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const std::optional<std::string_view> path = parse_path_argument("hwp_to_markdown", args, nargs, kwnames);
    if (!path) return nullptr;
    return guarded([&]() -> PyObject* {
        Result<std::string> markdown = convert_document(*path);
        if (!markdown) {
            raise_hwp_error(markdown.error());
            return nullptr;
        }
        const std::string& text = markdown.value();
        return PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size()));
    });
}

PyObject* hwp_debug_records(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const std::optional<std::string_view> path = parse_path_argument("hwp_debug_records", args, nargs, kwnames);
    if (!path) return nullptr;
    return guarded([&]() -> PyObject* {
        Result<std::vector<RecordInfo>> records = list_section_records(*path);
        if (!records) {
            raise_hwp_error(records.error());
            return nullptr;
        }
        return records_to_list(records.value());
    });
}

// Method descriptions live for the rest of the process.
PyMethodDef function_defs[] = {
    {"hwp_to_markdown", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(hwp_to_markdown)),
     METH_FASTCALL | METH_KEYWORDS, "hwp_to_markdown(path)\n--\n\nHWP 파일을 Markdown 문자열로 변환한다."},
    {"hwp_debug_records", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(hwp_debug_records)),
     METH_FASTCALL | METH_KEYWORDS,
     "hwp_debug_records(path)\n--\n\n디버그용: 섹션 레코드의 (tag_id, level, size) 목록을 반환한다."},
};

PyModuleDef module_def = {
    PyModuleDef_HEAD_INIT, "_brindle", "", 0, nullptr, nullptr, nullptr, nullptr, nullptr,
};

// Creates the function object, lists its name in __all__ and sets it as an
// attribute of the module.
bool add_function(PyObject* module, PyMethodDef* def) {
    PyRef module_name(PyModule_GetNameObject(module));
    if (!module_name) return false;
    PyRef function(PyCMethod_New(def, module, module_name.get(), nullptr));
    if (!function) return false;
    PyRef name(PyObject_GetAttrString(function.get(), "__name__"));
    if (!name) return false;
    PyRef all(PyObject_GetAttrString(module, "__all__"));
    if (!all) {
        if (!PyErr_ExceptionMatches(PyExc_AttributeError)) return false;
        PyErr_Clear();
        all = PyRef(PyList_New(0));
        if (!all || PyObject_SetAttrString(module, "__all__", all.get()) < 0) return false;
    }
    if (PyList_Append(all.get(), name.get()) < 0) return false;
    return PyObject_SetAttr(module, name.get(), function.get()) == 0;
}

PyObject* init_module() {
    const std::int64_t id = PyInterpreterState_GetID(PyInterpreterState_Get());
    if (id < 0) {
        if (!PyErr_Occurred()) {
            PyErr_SetString(PyExc_SystemError, "attempted to fetch exception but none was set");
        }
        return nullptr;
    }
    std::int64_t expected = -1;
    if (!owner_interpreter.compare_exchange_strong(expected, id) && expected != id) {
        PyErr_SetString(PyExc_ImportError,
                        "_brindle does not support subinterpreters: it is already loaded in another interpreter");
        return nullptr;
    }
    if (module_cell != nullptr) return Py_NewRef(module_cell);

    PyRef module(PyModule_Create2(&module_def, 1013));
    if (!module) return nullptr;
    for (PyMethodDef& def : function_defs) {
        if (!add_function(module.get(), &def)) return nullptr;
    }
    module_cell = Py_NewRef(module.get());
    return module.release();
}

}  // namespace
}  // namespace brindle::module

PyMODINIT_FUNC PyInit__brindle() { return brindle::module::init_module(); }
