// PyRef: the owner of one strong reference, released on scope exit.
#pragma once

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <utility>

namespace brindle::module {

class PyRef {
public:
    explicit PyRef(PyObject* object = nullptr) : object_(object) {}
    PyRef(const PyRef&) = delete;
    PyRef& operator=(const PyRef&) = delete;
    PyRef(PyRef&& other) noexcept : object_(other.release()) {}
    PyRef& operator=(PyRef&& other) noexcept {
        PyObject* old = std::exchange(object_, other.release());
        Py_XDECREF(old);
        return *this;
    }
    ~PyRef() { Py_XDECREF(object_); }

    PyObject* get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    PyObject* release() { return std::exchange(object_, nullptr); }

private:
    PyObject* object_;
};

}  // namespace brindle::module
