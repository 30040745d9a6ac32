// Result<T>: either a value or one HwpError, returned by every core
// operation that can fail. Nothing in the core throws HwpError.
#pragma once

#include <cassert>
#include <utility>
#include <variant>

#include "brindle/error.h"

namespace brindle {

template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(HwpError error) : state_(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    // clang-format off
    T& value() & { assert(ok()); return std::get<0>(state_); }
    const T& value() const& { assert(ok()); return std::get<0>(state_); }
    T&& value() && { assert(ok()); return std::get<0>(std::move(state_)); }

    HwpError& error() & { assert(!ok()); return std::get<1>(state_); }
    HwpError&& error() && { assert(!ok()); return std::get<1>(std::move(state_)); }
    // clang-format on

private:
    std::variant<T, HwpError> state_;
};

}  // namespace brindle
