// Naming and handing out the pictures of a parsed document.
#include "model/pictures.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace brindle {
namespace {

bool starts_with(Bytes bytes, std::string_view magic, std::size_t offset = 0) {
    return bytes.size() >= offset + magic.size() && std::memcmp(bytes.data() + offset, magic.data(), magic.size()) == 0;
}

// A link destination that CommonMark reads whole: the prefix the caller
// chose may hold spaces, parentheses or angle brackets, which would end or
// break the link, so those (and controls) are percent-encoded.
void append_destination(std::string& out, std::string_view text) {
    static constexpr char HEX[] = "0123456789ABCDEF";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u == 0x7F || c == '(' || c == ')' || c == '<' || c == '>' || c == '%' || c == '\\') {
            out.push_back('%');
            out.push_back(HEX[u >> 4]);
            out.push_back(HEX[u & 0xF]);
        } else {
            out.push_back(c);
        }
    }
}

}  // namespace

std::string_view picture_extension(Bytes b) {
    using namespace std::string_view_literals;
    if (starts_with(b, "\x89PNG\r\n\x1a\n"sv)) return "png";
    if (starts_with(b, "\xFF\xD8\xFF"sv)) return "jpg";
    if (starts_with(b, "GIF87a"sv) || starts_with(b, "GIF89a"sv)) return "gif";
    if (starts_with(b, "BM"sv) && b.size() >= 14) return "bmp";
    // Placeable metafile header, or a plain one (memory or disk, header of 9 words).
    if (starts_with(b, "\xD7\xCD\xC6\x9A"sv) || starts_with(b, "\x01\x00\x09\x00"sv) ||
        starts_with(b, "\x02\x00\x09\x00"sv)) {
        return "wmf";
    }
    if (starts_with(b, "\x01\x00\x00\x00"sv) && starts_with(b, " EMF"sv, 40)) return "emf";
    if (starts_with(b, "II*\0"sv) || starts_with(b, "MM\0*"sv)) return "tif";
    if (starts_with(b, "RIFF"sv) && starts_with(b, "WEBP"sv, 8)) return "webp";
    return "bin";
}

std::string safe_file_stem(std::string_view stem) {
    std::string out;
    bool named = false;  // a letter or digit kept
    for (const char c : stem) {
        if (out.size() >= 64) break;
        const bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        named = named || alnum;
        if (alnum || c == '-' || c == '.') {
            out.push_back(c);
        } else if (out.empty() || out.back() != '_') {
            out.push_back('_');  // one for each run of anything else
        }
    }
    // No leading dot (a hidden file, "." or ".."), no trailing one.
    const std::size_t first = out.find_first_not_of('.');
    out.erase(0, std::min(first, out.size()));
    while (!out.empty() && out.back() == '.') out.pop_back();
    return named ? out : std::string("picture");
}

const ShownPicture& PictureStore::show(std::string_view key) {
    const std::string owned(key);
    if (const auto it = shown_.find(owned); it != shown_.end()) return it->second;
    PictureData data = fetch(key);
    ShownPicture shown;
    if (data.kind == PictureData::Kind::Linked) {
        shown.linked_path = std::move(data.path);
    } else if (data.kind == PictureData::Kind::Embedded && MAX_DOCUMENT_PICTURE_BYTES - bytes_ >= data.bytes.size()) {
        const std::string stem = safe_file_stem(data.stem);
        const std::string extension(picture_extension(data.bytes));
        // Two keys whose stems reduce alike get "-2", "-3", ...
        std::string name = stem + "." + extension;
        for (std::uint32_t n = 2; names_.contains(name); ++n) name = stem + "-" + std::to_string(n) + "." + extension;
        names_.insert(name);
        append_destination(shown.target, prefix_);
        shown.target.append(name);
        bytes_ += data.bytes.size();
        files_.push_back(PictureFile{std::move(name), std::move(data.bytes)});
    }
    return shown_.emplace(owned, std::move(shown)).first->second;
}

}  // namespace brindle
