// "\005HwpSummaryInformation": an OLE property set stream. Its header
// (byte order 0xFFFE, version, system, class id, set count) is followed by
// each set's format id and offset; a set is its size, its property count,
// (id, offset) pairs counted from the set's start, and the properties, each
// a u16 type, two bytes of padding and a value. HWP writes its own format
// id with the ids of the standard summary information.
#include <algorithm>
#include <array>

#include "hwp/summary_information.h"
#include "model/properties.h"
#include "text.h"

namespace brindle {
namespace {

constexpr std::size_t HEADER_SIZE = 28;     // byte order .. set count
constexpr std::size_t SET_ENTRY_SIZE = 20;  // format id, offset
constexpr std::uint16_t SET_BYTE_ORDER = 0xFFFE;

// {9FA2B660-1061-11D4-B4C6-006097C09D8C} (HWP's) and
// {F29F85E0-4FF9-1068-AB91-08002B27B3D9} (the standard summary
// information), as stored (the first three fields little-endian).
constexpr std::array<std::uint8_t, 16> HWP_SUMMARY = {0x60, 0xB6, 0xA2, 0x9F, 0x61, 0x10, 0xD4, 0x11,
                                                      0xB4, 0xC6, 0x00, 0x60, 0x97, 0xC0, 0x9D, 0x8C};
constexpr std::array<std::uint8_t, 16> SUMMARY = {0xE0, 0x85, 0x9F, 0xF2, 0xF9, 0x4F, 0x68, 0x10,
                                                  0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9};

constexpr std::uint16_t VT_I2 = 0x02;
constexpr std::uint16_t VT_LPSTR = 0x1E;
constexpr std::uint16_t VT_LPWSTR = 0x1F;
constexpr std::uint16_t VT_FILETIME = 0x40;

constexpr std::uint32_t PID_CODEPAGE = 1;
constexpr std::uint16_t CODEPAGE_UTF16 = 1200;
constexpr std::uint16_t CODEPAGE_UTF8 = 65001;

struct Known {
    std::uint32_t id;
    std::string_view key;
};
constexpr std::array<Known, 8> KNOWN = {{
    {2, property::TITLE},
    {3, property::SUBJECT},
    {4, property::AUTHOR},
    {5, property::KEYWORDS},
    {6, property::COMMENTS},
    {8, property::LAST_SAVED_BY},
    {12, property::CREATED},
    {13, property::MODIFIED},
}};

// UTF-16LE with every unpaired surrogate as U+FFFD, up to a NUL.
std::string decode_utf16_lenient(Bytes bytes) {
    std::string out;
    const std::size_t units = bytes.size() / 2;
    for (std::size_t k = 0; k < units; ++k) {
        char32_t u = read_u16(bytes, 2 * k);
        if (u == 0) break;
        if (is_high_surrogate(u) && k + 1 < units && is_low_surrogate(read_u16(bytes, 2 * k + 2))) {
            u = combine_surrogates(u, read_u16(bytes, 2 * k + 2));
            ++k;
        } else if (is_high_surrogate(u) || is_low_surrogate(u)) {
            u = 0xFFFD;
        }
        append_utf8(out, u);
    }
    return out;
}

// A string value at `at` of `set`, or nothing: VT_LPWSTR is counted in
// UTF-16 units, VT_LPSTR in bytes of the set's code page (read when that
// is UTF-16 or UTF-8, or when it is plain ASCII).
std::optional<std::string> read_string(Bytes set, std::size_t at, std::uint16_t type, std::uint16_t code_page) {
    if (set.size() - at < 4) return std::nullopt;
    const std::uint64_t count = read_u32(set, at);
    at += 4;
    const std::size_t available = set.size() - at;
    // More than the cut needs is not decoded.
    const std::size_t cap = 4 * MAX_PROPERTY_BYTES;
    if (type == VT_LPWSTR || code_page == CODEPAGE_UTF16) {
        const std::uint64_t bytes = type == VT_LPWSTR ? 2 * count : count;
        if (bytes > available) return std::nullopt;
        return decode_utf16_lenient(set.subspan(at, std::min<std::size_t>(bytes, cap)));
    }
    if (count > available) return std::nullopt;
    const std::string_view text(reinterpret_cast<const char*>(set.data() + at), std::min<std::size_t>(count, cap));
    if (code_page != CODEPAGE_UTF8 &&
        std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
        return std::nullopt;  // another code page: not decoded here
    }
    std::string out;
    append_valid_utf8(out, text.substr(0, text.find('\0')));
    return out;
}

}  // namespace

DocumentProperties parse_summary_information(Bytes stream) {
    DocumentProperties properties;
    if (stream.size() < HEADER_SIZE + SET_ENTRY_SIZE || read_u16(stream, 0) != SET_BYTE_ORDER) return properties;
    if (read_u32(stream, 24) == 0) return properties;
    const Bytes format = stream.subspan(HEADER_SIZE, 16);
    if (!std::equal(format.begin(), format.end(), HWP_SUMMARY.begin()) &&
        !std::equal(format.begin(), format.end(), SUMMARY.begin())) {
        return properties;
    }
    const std::size_t offset = read_u32(stream, HEADER_SIZE + 16);
    if (offset > stream.size() || stream.size() - offset < 8) return properties;
    // The set, bounded by its declared size and by the stream.
    const std::size_t size = std::min<std::size_t>(read_u32(stream, offset), stream.size() - offset);
    if (size < 8) return properties;
    const Bytes set = stream.subspan(offset, size);
    const std::size_t count = std::min<std::size_t>(read_u32(set, 4), (size - 8) / 8);

    auto value_at = [&](std::uint32_t id) -> std::size_t {  // the offset of a property's type; 0 for none
        for (std::size_t k = 0; k < count; ++k) {
            if (read_u32(set, 8 + 8 * k) != id) continue;
            const std::size_t at = read_u32(set, 12 + 8 * k);
            return at >= 8 && at < size && size - at >= 4 ? at : 0;
        }
        return 0;
    };

    std::uint16_t code_page = 0;
    if (const std::size_t at = value_at(PID_CODEPAGE); at != 0 && read_u16(set, at) == VT_I2 && size - at >= 6) {
        code_page = read_u16(set, at + 4);
    }
    for (const Known& known : KNOWN) {
        const std::size_t at = value_at(known.id);
        if (at == 0) continue;
        const std::uint16_t type = read_u16(set, at);
        // Dates are FILETIMEs and the rest strings; a value of another type
        // is left out.
        const bool date = known.key == property::CREATED || known.key == property::MODIFIED;
        if (date) {
            if (type != VT_FILETIME || size - at < 12) continue;
            if (auto iso = filetime_to_iso(read_u64(set, at + 4))) properties.set(known.key, *iso);
        } else if (type == VT_LPWSTR || type == VT_LPSTR) {
            if (auto text = read_string(set, at + 4, type, code_page)) properties.set(known.key, *text);
        }
    }
    return properties;
}

}  // namespace brindle
