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
    // DistributionProtected is the full profile's alone: the exact rules
    // convert such a document's stub text. Package is an HWPX (ZIP) package
    // that cannot be read or is not an HWPX document, and an HWPML
    // document that cannot be read.
    // OtherFormat is a file of another kind altogether (an HTML page, an
    // XML document), named for what it is.
    enum class Kind {
        Io,
        InvalidSignature,
        PasswordProtected,
        CompoundFile,
        Parse,
        DistributionProtected,
        Package,
        OtherFormat
    };

    // What a failure says about the input beyond its kind, for callers that
    // tell causes apart (the message is the same either way).
    enum class Cause {
        Damaged,           // the document, or a stream of it, cannot be read as it stands
        NotACompoundFile,  // not a compound file at all
        NotAnHwpDocument,  // a compound file, but not an HWP document
        NoSuchStream,      // the container has no stream at the path asked for
        NotARegularFile,   // the path names a device, pipe or socket
        System,            // the operating system refused (an Io error with its code)
    };

    static HwpError io(IoError error);
    static HwpError invalid_signature();
    static HwpError password_protected();
    static HwpError distribution_protected();
    // An HWPX package whose parts are encrypted.
    static HwpError password_protected_package();
    // A ZIP package that is damaged ("ZIP package error: {text}") or, with
    // Cause::NotAnHwpDocument, that is no HWPX document ("Not an HWPX
    // document: {text}").
    static HwpError package(std::string text, Cause cause = Cause::Damaged);
    // An HWPML document that cannot be read as it stands ("HWPML document
    // error: {text}"): malformed XML, a document type that declares more
    // than simple entities, an encoding not read here.
    static HwpError markup(std::string text);
    // A file that is no document of a format read here: "Not an HWP
    // document: {what}" ("an HTML page").
    static HwpError other_format(std::string what);
    // An HWPX (or HWPML) document asked for the binary records only HWP
    // 5.0 has.
    static HwpError no_binary_records(bool hwpml = false);
    static HwpError compound_file(std::string text, Cause cause = Cause::Damaged);
    static HwpError parse(std::string text);

    Kind kind() const { return kind_; }
    Cause cause() const { return cause_; }
    HwpError with_cause(Cause cause) && {
        cause_ = cause;
        return std::move(*this);
    }
    // The operating system's error code of an Io error, or 0.
    int os_code() const;
    // The message as callers see it, e.g. "IO error: No such file or directory (os error 2)".
    std::string message() const;

private:
    HwpError(Kind kind, std::variant<std::monostate, IoError, std::string> payload, Cause cause = Cause::Damaged)
        : kind_(kind), cause_(cause), payload_(std::move(payload)) {}

    Kind kind_;
    Cause cause_;
    std::variant<std::monostate, IoError, std::string> payload_;
};

}  // namespace brindle
