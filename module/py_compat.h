// The few C API calls the modules use that CPython 3.10 and 3.11 lack, with
// the same meaning on every version from 3.10 on.
#pragma once

#define PY_SSIZE_T_CLEAN
#include <Python.h>

namespace brindle::module {

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
