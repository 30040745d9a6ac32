// What both extension modules share at the interpreter boundary: running a
// core operation so that no C++ exception crosses into the interpreter, and
// building the record listing's list of tuples.
#pragma once

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <exception>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "brindle/convert.h"
#include "brindle/limits.h"

namespace brindle::module {

// A C++ exception caught in a core operation, kept as a value so that it can
// be caught where the interpreter lock is released and raised once it is
// held again.
struct Fault {
    enum class Kind { None, Limit, NoMemory, Internal };
    Kind kind = Kind::None;
    std::string what;

    explicit operator bool() const { return kind != Kind::None; }
    // Sets the matching Python exception: MemoryError for a bound or an
    // allocation failure, SystemError for anything else.
    void raise(const char* module_name) const {
        switch (kind) {
            case Kind::Limit: PyErr_SetString(PyExc_MemoryError, what.c_str()); break;
            case Kind::NoMemory: PyErr_NoMemory(); break;
            case Kind::Internal:
                if (what.empty()) {
                    PyErr_Format(PyExc_SystemError, "internal error in %s", module_name);
                } else {
                    PyErr_Format(PyExc_SystemError, "internal error in %s: %s", module_name, what.c_str());
                }
                break;
            case Kind::None: break;
        }
    }
};

// Runs `body`, turning any C++ exception into `fault`; needs no interpreter.
template <class Body>
auto capture(Body&& body, Fault& fault) -> std::optional<decltype(body())> {
    try {
        return body();
    } catch (const LimitExceeded& limit) {
        fault = Fault{Fault::Kind::Limit, limit.what()};
    } catch (const std::bad_alloc&) {
        fault = Fault{Fault::Kind::NoMemory, {}};
    } catch (const std::exception& error) {
        fault = Fault{Fault::Kind::Internal, error.what()};
    } catch (...) {
        fault = Fault{Fault::Kind::Internal, {}};
    }
    return std::nullopt;
}

// Runs a core operation that builds Python objects, with the interpreter
// lock held; C++ exceptions never cross into the interpreter.
template <class Body>
inline PyObject* guarded(Body&& body, const char* module_name = "_brindle") {
    Fault fault;
    std::optional<PyObject*> result = capture(std::forward<Body>(body), fault);
    if (result) return *result;
    fault.raise(module_name);
    return nullptr;
}

// The listing as a new list of (tag_id, level, size) tuples, or null with an
// exception set.
PyObject* records_to_list(const std::vector<RecordInfo>& records);

}  // namespace brindle::module
