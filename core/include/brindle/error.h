// The core's single error type. Every failure detected while opening and
// reading a document is one HwpError, moved unchanged up to the caller.
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace brindle {

// An I/O failure: either an operating-system error code (errno) or a
// description for a failure that did not come from the operating system.
struct IoError {
    std::variant<int, std::string> cause;

    static IoError from_os(int code) { return IoError{code}; }
    static IoError from_text(std::string text) { return IoError{std::move(text)}; }

    // "{system message} (os error {code})" for an OS error, else the text.
    std::string text() const;
};

class HwpError {
public:
    enum class Kind { Io, InvalidSignature, PasswordProtected, CompoundFile, Parse };

    static HwpError io(IoError error);
    static HwpError invalid_signature();
    static HwpError password_protected();
    static HwpError compound_file(std::string text);
    static HwpError parse(std::string text);

    Kind kind() const { return kind_; }
    // The message as callers see it, e.g. "IO error: No such file or directory (os error 2)".
    std::string message() const;

private:
    HwpError(Kind kind, std::variant<std::monostate, IoError, std::string> payload)
        : kind_(kind), payload_(std::move(payload)) {}

    Kind kind_;
    std::variant<std::monostate, IoError, std::string> payload_;
};

}  // namespace brindle
