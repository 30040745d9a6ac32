// Vector-call argument checking for `f(path)`, with the exact TypeError
// messages the functions document.
#include "arguments.h"

#include "py_compat.h"
#include "py_ref.h"

namespace brindle::module {
namespace {

PyObject* find_path(const char* function_name, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    if (nargs > 1) {
        PyErr_Format(PyExc_TypeError, "%s() takes %d positional arguments but %zd %s given", function_name, 1, nargs,
                     nargs == 1 ? "was" : "were");
        return nullptr;
    }
    PyObject* path = nargs == 1 ? args[0] : nullptr;
    const Py_ssize_t nkw = kwnames == nullptr ? 0 : PyTuple_GET_SIZE(kwnames);
    for (Py_ssize_t i = 0; i < nkw; ++i) {
        PyObject* name = PyTuple_GET_ITEM(kwnames, i);
        if (PyUnicode_Check(name) && PyUnicode_CompareWithASCIIString(name, "path") == 0) {
            if (path != nullptr) {
                PyErr_Format(PyExc_TypeError, "%s() got multiple values for argument '%s'", function_name, "path");
                return nullptr;
            }
            path = args[nargs + i];
        } else {
            PyErr_Format(PyExc_TypeError, "%s() got an unexpected keyword argument '%S'", function_name, name);
            return nullptr;
        }
    }
    if (path == nullptr) {
        PyErr_Format(PyExc_TypeError, "%s() missing %d required %s %s: '%s'", function_name, 1, "positional",
                     "argument", "path");
    }
    return path;
}

void raise_not_a_string(PyObject* path) {
    PyRef qualname(type_qualname(Py_TYPE(path)));
    if (qualname.get() == nullptr) {
        PyErr_Clear();
        PyErr_Format(PyExc_TypeError, "argument '%s': '%s' object cannot be converted to '%s'", "path",
                     "<failed to extract type name>", "PyString");
        return;
    }
    PyErr_Format(PyExc_TypeError, "argument '%s': '%U' object cannot be converted to '%s'", "path", qualname.get(),
                 "PyString");
}

// Only an exception of exactly TypeError is re-raised with the argument's
// name; it keeps the cause of the one it replaces.
void wrap_type_error() {
    PyRef raised(take_raised_exception());
    if (raised.get() == nullptr || !Py_IS_TYPE(raised.get(), reinterpret_cast<PyTypeObject*>(PyExc_TypeError))) {
        set_raised_exception(raised.release());
        return;
    }
    PyRef message(PyUnicode_FromFormat("argument '%s': %S", "path", raised.get()));
    if (message.get() == nullptr) return;
    PyRef wrapped(PyObject_CallOneArg(PyExc_TypeError, message.get()));
    if (wrapped.get() == nullptr) return;
    PyException_SetCause(wrapped.get(), PyException_GetCause(raised.get()));
    set_raised_exception(wrapped.release());
}

}  // namespace

std::optional<std::string_view> parse_path_argument(const char* function_name, PyObject* const* args, Py_ssize_t nargs,
                                                    PyObject* kwnames) {
    PyObject* path = find_path(function_name, args, nargs, kwnames);
    if (path == nullptr) return std::nullopt;
    if (!PyUnicode_Check(path)) {
        raise_not_a_string(path);
        return std::nullopt;
    }
    Py_ssize_t size = 0;
    const char* text = PyUnicode_AsUTF8AndSize(path, &size);
    if (text == nullptr) {
        wrap_type_error();
        return std::nullopt;
    }
    return std::string_view(text, static_cast<std::size_t>(size));
}

}  // namespace brindle::module
