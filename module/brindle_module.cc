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
#include "boundary.h"
#include "brindle/convert.h"
#include "brindle/limits.h"
#include "py_compat.h"
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
    set_raised_exception(exception.release());
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
