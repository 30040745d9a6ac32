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

namespace {

// What a file's first bytes say: its format and, for markup, its root
// element.
struct Sniffed {
    DocumentFormat format = DocumentFormat::Unknown;
    std::optional<std::string> root;

    // The error for a file of markup that no reader here takes.
    std::optional<HwpError> refusal() const {
        if (format != DocumentFormat::Unknown || !root) return std::nullopt;
        return HwpError::other_format(describe_markup_root(*root));
    }
};

// The signatures from the first eight bytes; the prolog of markup, read
// only for a file that has neither, from its first bytes up to 4 KiB.
Sniffed sniff(const ByteSource& source) {
    std::uint8_t head[MARKUP_SNIFF_BYTES];
    const std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(source.size(), 8));
    if (size == 0 || source.read(0, std::span(head, size), "the file's first bytes")) return {};
    if (size == 8 && std::equal(cfb::SIGNATURE.begin(), cfb::SIGNATURE.end(), head)) return {DocumentFormat::Hwp, {}};
    if (size >= 4 && ZipArchive::looks_like_zip(Bytes(head, size))) return {DocumentFormat::Hwpx, {}};
    const std::size_t markup = static_cast<std::size_t>(std::min<std::uint64_t>(source.size(), sizeof head));
    if (markup > size && source.read(0, std::span(head, markup), "the file's first bytes")) return {};
    // HWPML by its root element, whatever the file is named.
    Sniffed sniffed{DocumentFormat::Unknown, markup_root(Bytes(head, markup))};
    if (sniffed.root == "HWPML") sniffed.format = DocumentFormat::Hwpml;
    return sniffed;
}

}  // namespace

DocumentFormat sniff_format(const ByteSource& source) { return sniff(source).format; }

Result<std::string> convert_any(ByteSource source, Profile profile, std::vector<std::string>* warnings) {
    const Sniffed sniffed = sniff(source);
    if (sniffed.format == DocumentFormat::Hwpx) return convert_hwpx(std::move(source), profile, warnings);
    if (sniffed.format == DocumentFormat::Hwpml) return convert_hwpml(std::move(source), profile, warnings);
    if (std::optional<HwpError> refused = sniffed.refusal()) return std::move(*refused);
    return convert_document(std::move(source), profile, warnings);
}

Result<std::string> convert_any(std::string_view path, Profile profile, std::vector<std::string>* warnings) {
    Result<ByteSource> source = ByteSource::open_file(path);
    if (!source) return std::move(source).error();
    return convert_any(std::move(source).value(), profile, warnings);
}

Result<ParsedDocument> parse_any(ByteSource source, Profile profile, const ParseOptions& options) {
    const Sniffed sniffed = sniff(source);
    if (sniffed.format == DocumentFormat::Hwpx) return parse_hwpx(std::move(source), profile, options);
    if (sniffed.format == DocumentFormat::Hwpml) return parse_hwpml(std::move(source), profile, options);
    if (std::optional<HwpError> refused = sniffed.refusal()) return std::move(*refused);
    return parse_hwp(std::move(source), profile, options);
}

Result<ParsedDocument> parse_any(std::string_view path, Profile profile, const ParseOptions& options) {
    Result<ByteSource> source = ByteSource::open_file(path);
    if (!source) return std::move(source).error();
    return parse_any(std::move(source).value(), profile, options);
}

Result<std::vector<RecordInfo>> list_records_any(ByteSource source) {
    const Sniffed sniffed = sniff(source);
    if (sniffed.format == DocumentFormat::Hwpx || sniffed.format == DocumentFormat::Hwpml) {
        return HwpError::no_binary_records(sniffed.format == DocumentFormat::Hwpml);
    }
    if (std::optional<HwpError> refused = sniffed.refusal()) return std::move(*refused);
    return list_section_records(std::move(source));
}

Result<std::vector<RecordInfo>> list_records_any(std::string_view path) {
    Result<ByteSource> source = ByteSource::open_file(path);
    if (!source) return std::move(source).error();
    return list_records_any(std::move(source).value());
}

}  // namespace brindle
