// "/FileHeader": the HWP signature, and the properties word telling
// whether the sections are compressed, whether the document is
// password-protected and whether it was saved for distribution.
#include <algorithm>

#include "hwp/file_header.h"
#include "hwp/format.h"

namespace brindle {

Result<FileProperties> parse_file_header(Bytes header) {
    // The signature is compared before the length, so a short stream that
    // lacks it is an invalid signature rather than a short header.
    if (header.size() < HWP_SIGNATURE.size() ||
        !std::equal(HWP_SIGNATURE.begin(), HWP_SIGNATURE.end(), header.begin(),
                    [](char expected, std::uint8_t actual) { return static_cast<std::uint8_t>(expected) == actual; })) {
        return HwpError::invalid_signature();
    }
    if (header.size() < FILE_HEADER_MIN_SIZE) return HwpError::parse("FileHeader too short");
    const std::uint32_t properties = read_u32(header, FILE_HEADER_PROPERTIES_OFFSET);
    if (properties & FILE_HEADER_PASSWORD) return HwpError::password_protected();
    return FileProperties{(properties & FILE_HEADER_COMPRESSED) != 0, (properties & FILE_HEADER_DISTRIBUTION) != 0};
}

Result<FileProperties> read_file_header(CompoundFile& file) {
    Result<ByteBuffer> header = file.read_stream("/FileHeader");
    // A compound file without a readable "/FileHeader" entry is some other
    // kind of document (a .doc or .xls file, say); a damaged one is damaged.
    if (!header) {
        HwpError error = std::move(header).error();
        if (error.cause() == HwpError::Cause::NoSuchStream)
            return std::move(error).with_cause(HwpError::Cause::NotAnHwpDocument);
        return error;
    }
    return parse_file_header(header.value());
}

Result<CompoundFile> open_hwp_file(std::string_view path) {
    Result<ByteSource> source = ByteSource::open_file(path);
    if (!source) return std::move(source).error();
    return open_compound_file(std::move(source).value());
}

Result<OpenDocument> open_document(std::string_view path) {
    Result<ByteSource> source = ByteSource::open_file(path);
    if (!source) return std::move(source).error();
    return open_document(std::move(source).value());
}

Result<OpenDocument> open_document(ByteSource source) {
    Result<CompoundFile> file = open_compound_file(std::move(source));
    if (!file) return std::move(file).error();
    Result<FileProperties> properties = read_file_header(file.value());
    if (!properties) return std::move(properties).error();
    return OpenDocument{std::move(file).value(), properties.value().compressed, properties.value().distribution};
}

}  // namespace brindle
