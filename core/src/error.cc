// Messages of HwpError, as the module surface raises them.
#include "brindle/error.h"

#include "os_error.h"

namespace brindle {

std::string IoError::text() const {
    if (const int* code = std::get_if<int>(&cause)) {
        return os_error_text(*code) + " (os error " + std::to_string(*code) + ")";
    }
    return std::get<std::string>(cause);
}

HwpError HwpError::io(IoError error) {
    const Cause cause = std::holds_alternative<int>(error.cause) ? Cause::System : Cause::Damaged;
    return HwpError(Kind::Io, std::move(error), cause);
}
HwpError HwpError::invalid_signature() {
    return HwpError(Kind::InvalidSignature, std::monostate{}, Cause::NotAnHwpDocument);
}
HwpError HwpError::password_protected() { return HwpError(Kind::PasswordProtected, std::monostate{}); }
HwpError HwpError::distribution_protected() { return HwpError(Kind::DistributionProtected, std::monostate{}); }
HwpError HwpError::password_protected_package() {
    return HwpError(Kind::PasswordProtected, std::string("Password-protected HWPX documents are not supported"));
}
HwpError HwpError::no_binary_records(bool hwpml) {
    return HwpError(Kind::Package,
                    hwpml ? std::string("HWPML document: it has no binary records to list (it is one XML file); "
                                        "records are listed for HWP 5.0 documents")
                          : std::string("HWPX document: it has no binary records to list (its sections are XML parts); "
                                        "records are listed for HWP 5.0 documents"),
                    Cause::NotAnHwpDocument);
}
HwpError HwpError::package(std::string text, Cause cause) {
    const char* prefix = cause == Cause::NotAnHwpDocument ? "Not an HWPX document: " : "ZIP package error: ";
    return HwpError(Kind::Package, prefix + std::move(text), cause);
}
HwpError HwpError::markup(std::string text) {
    return HwpError(Kind::Package, "HWPML document error: " + std::move(text), Cause::Damaged);
}
HwpError HwpError::other_format(std::string what) {
    return HwpError(Kind::OtherFormat, "Not an HWP document: " + std::move(what), Cause::NotAnHwpDocument);
}
HwpError HwpError::compound_file(std::string text, Cause cause) {
    return HwpError(Kind::CompoundFile, std::move(text), cause);
}

int HwpError::os_code() const {
    const IoError* io = std::get_if<IoError>(&payload_);
    const int* code = io ? std::get_if<int>(&io->cause) : nullptr;
    return code ? *code : 0;
}
HwpError HwpError::parse(std::string text) { return HwpError(Kind::Parse, std::move(text)); }

std::string HwpError::message() const {
    switch (kind_) {
        case Kind::Io: return "IO error: " + std::get<IoError>(payload_).text();
        case Kind::InvalidSignature: return "Invalid HWP signature";
        case Kind::PasswordProtected:
            if (const auto* text = std::get_if<std::string>(&payload_)) return *text;
            return "Password-protected HWP files are not supported";
        case Kind::Package:
        case Kind::OtherFormat: return std::get<std::string>(payload_);
        case Kind::CompoundFile: return "Compound file error: " + std::get<std::string>(payload_);
        case Kind::Parse: return "Parse error: " + std::get<std::string>(payload_);
        case Kind::DistributionProtected:
            return "Distribution-protected HWP document: its body is encrypted for viewing in the word processor "
                   "only (the readable part is a notice, not the content); open it in the word processor to convert it";
    }
    return "internal error: unknown error kind";
}

}  // namespace brindle
