// Decoding by the byte-order mark first, then by the XML declaration, as an
// XML processor does; transcoding is done here rather than by the parser so
// that one text, in one encoding, reaches the entity expansion and the
// parser alike.
#include "hwpml/encoding.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "brindle/error.h"
#include "text.h"

namespace brindle::hwpml {
namespace {

#include "hwpml/cp949_table.inc"

constexpr char32_t REPLACEMENT = 0xFFFD;

std::string utf16_to_utf8(Bytes bytes, bool big_endian) {
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    const auto unit_at = [&](std::size_t i) -> char32_t {
        return big_endian ? char32_t{bytes[i]} << 8 | bytes[i + 1] : char32_t{bytes[i + 1]} << 8 | bytes[i];
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t c = unit_at(i);
        if (is_high_surrogate(c) && i + 3 < bytes.size() && is_low_surrogate(unit_at(i + 2))) {
            c = combine_surrogates(c, unit_at(i + 2));
            i += 2;
        } else if (is_high_surrogate(c) || is_low_surrogate(c)) {
            c = REPLACEMENT;
        }
        append_utf8(out, c);
    }
    return out;
}

std::string latin1_to_utf8(Bytes bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const std::uint8_t b : bytes) append_utf8(out, b);
    return out;
}

bool is_utf8(std::string_view text) {
    while (!text.empty()) {
        // ASCII, most of markup, eight bytes at a time.
        if (text.size() >= 8) {
            std::uint64_t word;
            std::memcpy(&word, text.data(), 8);
            if ((word & 0x8080808080808080u) == 0) {
                text.remove_prefix(8);
                continue;
            }
        }
        if (static_cast<unsigned char>(text.front()) < 0x80) {
            text.remove_prefix(1);
            continue;
        }
        const Utf8Char c = decode_utf8_char(text);
        if (c.length == 0) return false;
        text.remove_prefix(c.length);
    }
    return true;
}

// The value of the XML declaration's encoding, lower-cased; empty when the
// text opens with no declaration or the declaration names none.
std::string declared_encoding(std::string_view text) {
    if (!text.starts_with("<?xml")) return {};
    const std::size_t end = text.find("?>");
    const std::string_view declaration = text.substr(0, end);
    const std::size_t key = declaration.find("encoding");
    if (key == std::string_view::npos) return {};
    std::size_t at = declaration.find_first_of("\"'", key);
    if (at == std::string_view::npos) return {};
    const char quote = declaration[at++];
    const std::size_t close = declaration.find(quote, at);
    if (close == std::string_view::npos) return {};
    std::string name(declaration.substr(at, std::min<std::size_t>(close - at, 64)));
    std::transform(name.begin(), name.end(), name.begin(), ascii_lower);
    return name;
}

bool names_cp949(std::string_view name) {
    constexpr std::array<std::string_view, 9> NAMES = {"euc-kr",   "euckr",         "cp949",       "ms949",
                                                       "uhc",      "x-windows-949", "windows-949", "ks_c_5601-1987",
                                                       "ks_c_5601"};
    return std::find(NAMES.begin(), NAMES.end(), name) != NAMES.end();
}

bool names_utf8(std::string_view name) {
    return name.empty() || name == "utf-8" || name == "utf8" || name == "us-ascii" || name == "ascii";
}

bool names_latin1(std::string_view name) {
    return name == "iso-8859-1" || name == "latin1" || name == "latin-1" || name == "iso_8859-1";
}

}  // namespace

std::string cp949_to_utf8(Bytes bytes, std::size_t* unmapped) {
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    std::size_t misses = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint8_t lead = bytes[i];
        if (lead < 0x80) {
            out.push_back(static_cast<char>(lead));
            continue;
        }
        char32_t c = 0;
        if (lead >= 0x81 && lead <= 0xFE && i + 1 < bytes.size() && bytes[i + 1] >= 0x41 && bytes[i + 1] <= 0xFE) {
            c = CP949_DOUBLE[(lead - 0x81u) * CP949_TRAILS + (bytes[i + 1] - 0x41u)];
            ++i;  // a pair that maps to nothing is still one character of two bytes
        }
        if (c == 0) {
            ++misses;
            c = REPLACEMENT;
        }
        append_utf8(out, c);
    }
    if (unmapped != nullptr) *unmapped = misses;
    return out;
}

Result<DecodedText> decode_text(ByteBuffer file) {
    const auto buffer = [](const std::string& text) { return ByteBuffer(text.begin(), text.end()); };
    if (file.size() >= 3 && file[0] == 0xEF && file[1] == 0xBB && file[2] == 0xBF) {
        file.erase(file.begin(), file.begin() + 3);
        return DecodedText{std::move(file), {}};
    }
    const Bytes bytes(file);
    if (file.size() >= 2 && ((file[0] == 0xFF && file[1] == 0xFE) || (file[0] == 0xFE && file[1] == 0xFF))) {
        return DecodedText{buffer(utf16_to_utf8(bytes.subspan(2), file[0] == 0xFE)), {}};
    }
    if (file.size() >= 2 && (file[0] == 0 || file[1] == 0)) {  // UTF-16 without a mark: '<' as its first unit
        return DecodedText{buffer(utf16_to_utf8(bytes, file[0] == 0)), {}};
    }
    const std::string_view raw(reinterpret_cast<const char*>(file.data()), file.size());
    const std::string encoding = declared_encoding(raw.substr(0, 256));
    if (names_cp949(encoding)) return DecodedText{buffer(cp949_to_utf8(bytes)), {}};
    if (names_latin1(encoding)) return DecodedText{buffer(latin1_to_utf8(bytes)), {}};
    if (!names_utf8(encoding) && encoding != "utf-16") {
        return HwpError::markup("it declares the encoding '" + encoding + "', which is not read here");
    }
    if (is_utf8(raw)) return DecodedText{std::move(file), {}};
    std::size_t unmapped = 0;
    std::string korean = cp949_to_utf8(bytes, &unmapped);
    if (unmapped == 0) {
        return DecodedText{buffer(korean), "the file says it is UTF-8 but is not; it was read as CP949 (EUC-KR)"};
    }
    // Neither: the text as it stands, whose stray bytes the walk leaves out.
    return DecodedText{std::move(file), "the file says it is UTF-8 but holds bytes that are not"};
}

}  // namespace brindle::hwpml
