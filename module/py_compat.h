// The few C API calls the modules use that CPython 3.10 and 3.11 lack, with
// the same meaning on every version from 3.10 on, and the macros that the
// limited API (Py_LIMITED_API, the abi3 build of brindle._native) replaces by
// functions: the macros where the full API is used, the functions where not.
#pragma once

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <string_view>

namespace brindle::module {

// Puts `item` (stolen) into slot `index` of a new tuple or list.
inline void fill_tuple(PyObject* tuple, Py_ssize_t index, PyObject* item) {
#ifdef Py_LIMITED_API
    PyTuple_SetItem(tuple, index, item);
#else
    PyTuple_SET_ITEM(tuple, index, item);
#endif
}

inline void fill_list(PyObject* list, Py_ssize_t index, PyObject* item) {
#ifdef Py_LIMITED_API
    PyList_SetItem(list, index, item);
#else
    PyList_SET_ITEM(list, index, item);
#endif
}

inline Py_ssize_t tuple_size(PyObject* tuple) {
#ifdef Py_LIMITED_API
    return PyTuple_Size(tuple);
#else
    return PyTuple_GET_SIZE(tuple);
#endif
}

// The bytes of a bytes object, viewed (the object must be alive while the view is used).
inline std::string_view bytes_view(PyObject* bytes) {
#ifdef Py_LIMITED_API
    char* data = nullptr;
    Py_ssize_t size = 0;
    if (PyBytes_AsStringAndSize(bytes, &data, &size) < 0) return {};
    return {data, static_cast<std::size_t>(size)};
#else
    return {PyBytes_AS_STRING(bytes), static_cast<std::size_t>(PyBytes_GET_SIZE(bytes))};
#endif
}

// The exception being raised (a new reference, its traceback attached), the
// error indicator cleared; null when none is set.
inline PyObject* take_raised_exception() {
#if PY_VERSION_HEX >= 0x030C0000
    return PyErr_GetRaisedException();
#else
    PyObject* type = nullptr;
    PyObject* value = nullptr;
    PyObject* traceback = nullptr;
    PyErr_Fetch(&type, &value, &traceback);
    if (type == nullptr) return nullptr;
    PyErr_NormalizeException(&type, &value, &traceback);
    if (traceback != nullptr) PyException_SetTraceback(value, traceback);
    Py_DECREF(type);
    Py_XDECREF(traceback);
    return value;
#endif
}

// Sets `exception` (stolen; null clears the indicator) as the one being
// raised, as it stands: no context or cause is added.
inline void set_raised_exception(PyObject* exception) {
#if PY_VERSION_HEX >= 0x030C0000
    PyErr_SetRaisedException(exception);
#else
    if (exception == nullptr) {
        PyErr_Restore(nullptr, nullptr, nullptr);
        return;
    }
    PyErr_Restore(Py_NewRef(reinterpret_cast<PyObject*>(Py_TYPE(exception))), exception,
                  PyException_GetTraceback(exception));
#endif
}

// The type's __qualname__ as a str (a new reference), or null with an
// exception set.
inline PyObject* type_qualname(PyTypeObject* type) {
#if PY_VERSION_HEX >= 0x030B0000
    return PyType_GetQualName(type);
#else
    PyObject* name = PyObject_GetAttrString(reinterpret_cast<PyObject*>(type), "__qualname__");
    if (name != nullptr && !PyUnicode_Check(name)) {
        Py_DECREF(name);
        PyErr_SetString(PyExc_TypeError, "__qualname__ is not a str");
        return nullptr;
    }
    return name;
#endif
}

}  // namespace brindle::module
