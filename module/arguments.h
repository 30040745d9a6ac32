// Argument handling shared by the module's functions: the single `path`
// parameter (positional or keyword) and its conversion to UTF-8 text.
#pragma once

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <optional>
#include <string_view>

namespace brindle::module {

// The UTF-8 text of `path`, borrowed from the argument object, or nothing
// with a Python exception set (TypeError, UnicodeEncodeError).
std::optional<std::string_view> parse_path_argument(const char* function_name, PyObject* const* args, Py_ssize_t nargs,
                                                    PyObject* kwnames);

}  // namespace brindle::module
