// A document of any format read here, told apart by its first bytes: the
// compound-file signature is HWP 5.0, a ZIP header HWPX, markup whose root
// is <HWPML> HWPML. Other markup (an HTML page, another XML document) is
// named for what it is; anything else goes
// to the compound-file reader, which says what is wrong with it.
#include <algorithm>
#include <optional>

#include "brindle/convert.h"
#include "brindle/parse.h"
#include "document/cfb_format.h"
#include "document/markup_sniff.h"
#include "document/zip_archive.h"

namespace brindle {

DocumentFormat sniff_format(const ByteSource& source) {
    std::uint8_t head[MARKUP_SNIFF_BYTES];
    const std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(source.size(), 8));
    if (size < 4 || source.read(0, std::span(head, size), "the file's first bytes")) return DocumentFormat::Unknown;
    if (size == 8 && std::equal(cfb::SIGNATURE.begin(), cfb::SIGNATURE.end(), head)) return DocumentFormat::Hwp;
    if (ZipArchive::looks_like_zip(Bytes(head, size))) return DocumentFormat::Hwpx;
    // Markup: HWPML by its root element, whatever the file is named.
    const std::size_t markup = static_cast<std::size_t>(std::min<std::uint64_t>(source.size(), sizeof head));
    if (source.read(0, std::span(head, markup), "the file's first bytes")) return DocumentFormat::Unknown;
    const std::optional<std::string> root = markup_root(Bytes(head, markup));
    return root && *root == "HWPML" ? DocumentFormat::Hwpml : DocumentFormat::Unknown;
}

namespace {

// The error for a file of markup, which no reader here takes.
std::optional<HwpError> refuse_markup(const ByteSource& source) {
    std::uint8_t head[MARKUP_SNIFF_BYTES];
    const std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(source.size(), sizeof head));
    if (size == 0 || source.read(0, std::span(head, size), "the file's first bytes")) return std::nullopt;
    std::optional<std::string> what = describe_markup(Bytes(head, size));
    if (!what) return std::nullopt;
    return HwpError::other_format(std::move(*what));
}

}  // namespace

Result<std::string> convert_any(ByteSource source, Profile profile, std::vector<std::string>* warnings) {
    const DocumentFormat format = sniff_format(source);
    if (format == DocumentFormat::Hwpx) return convert_hwpx(std::move(source), profile, warnings);
    if (format == DocumentFormat::Hwpml) return convert_hwpml(std::move(source), profile, warnings);
    if (format == DocumentFormat::Unknown) {
        if (std::optional<HwpError> refused = refuse_markup(source)) return std::move(*refused);
    }
    return convert_document(std::move(source), profile, warnings);
}

Result<std::string> convert_any(std::string_view path, Profile profile, std::vector<std::string>* warnings) {
    Result<ByteSource> source = ByteSource::open_file(path);
    if (!source) return std::move(source).error();
    return convert_any(std::move(source).value(), profile, warnings);
}

Result<ParsedDocument> parse_any(ByteSource source, Profile profile, const ParseOptions& options) {
    const DocumentFormat format = sniff_format(source);
    if (format == DocumentFormat::Hwpx) return parse_hwpx(std::move(source), profile, options);
    if (format == DocumentFormat::Hwpml) return parse_hwpml(std::move(source), profile, options);
    if (format == DocumentFormat::Unknown) {
        if (std::optional<HwpError> refused = refuse_markup(source)) return std::move(*refused);
    }
    return parse_hwp(std::move(source), profile, options);
}

Result<ParsedDocument> parse_any(std::string_view path, Profile profile, const ParseOptions& options) {
    Result<ByteSource> source = ByteSource::open_file(path);
    if (!source) return std::move(source).error();
    return parse_any(std::move(source).value(), profile, options);
}

Result<std::vector<RecordInfo>> list_records_any(ByteSource source) {
    const DocumentFormat format = sniff_format(source);
    if (format == DocumentFormat::Hwpx || format == DocumentFormat::Hwpml) {
        return HwpError::no_binary_records(format == DocumentFormat::Hwpml);
    }
    if (format == DocumentFormat::Unknown) {
        if (std::optional<HwpError> refused = refuse_markup(source)) return std::move(*refused);
    }
    return list_section_records(std::move(source));
}

Result<std::vector<RecordInfo>> list_records_any(std::string_view path) {
    Result<ByteSource> source = ByteSource::open_file(path);
    if (!source) return std::move(source).error();
    return list_records_any(std::move(source).value());
}

}  // namespace brindle
