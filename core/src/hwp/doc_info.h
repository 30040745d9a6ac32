// What the full profile reads from "/DocInfo": the paragraph shapes with
// their numbering and bullet heads, the numbering and bullet definitions,
// the styles' paragraph shapes and the notes' start numbers. Every id in
// the body is a positional index into one of these tables.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "brindle/bytes.h"

namespace brindle {

// What stands before a paragraph's text, by the paragraph shape.
enum class HeadKind : std::uint8_t { None = 0, Outline = 1, Number = 2, Bullet = 3 };

struct ParaShape {
    HeadKind head = HeadKind::None;
    std::uint8_t level = 0;      // 0-6: the outline or numbering level
    std::uint16_t numbering = 0;  // 1-based NUMBERING or BULLET index; 0 for none
};

// Levels a numbering defines (the "^1" .. "^7" of its formats).
inline constexpr std::size_t NUMBERING_LEVELS = 7;

// Format strings are cut to this many UTF-16 units: real ones are a few
// units long ("^1.", "제^1장", "^1.^2.^3."), and the cut bounds what one
// numbered paragraph can add to the output.
inline constexpr std::size_t MAX_NUMBER_FORMAT_UNITS = 32;

struct Numbering {
    // The seven formats, UTF-8, one after another; format k is
    // formats.substr(offsets[k], offsets[k + 1] - offsets[k]).
    std::string formats;
    std::array<std::uint16_t, NUMBERING_LEVELS + 1> offsets{};
    std::array<std::uint8_t, NUMBERING_LEVELS> shapes{};  // number shape of each level
    std::array<std::uint32_t, NUMBERING_LEVELS> starts{};  // first number of each level

    std::string_view format(std::size_t level) const {
        return std::string_view(formats).substr(offsets[level], offsets[level + 1] - offsets[level]);
    }
};

// A HWPTAG_BIN_DATA record: what a picture's binary-data id refers to.
struct BinItem {
    enum class Kind : std::uint8_t { Link = 0, Embedding = 1, Storage = 2, Unknown = 3 };
    // How its stream is stored: as the document's sections are, or always
    // deflated, or never.
    enum class Compression : std::uint8_t { AsDocument = 0, Deflated = 1, Stored = 2 };
    Kind kind = Kind::Unknown;
    Compression compression = Compression::AsDocument;
    std::uint16_t storage_id = 0;  // Embedding, Storage: names the stream BIN%04X
    std::string extension;         // Embedding: "jpg", "png", ... (UTF-8, cut to 16 units)
    std::string path;              // Link: where the file is kept (UTF-8, cut to 1024 units)
};

struct DocInfo {
    std::vector<ParaShape> para_shapes;
    std::vector<Numbering> numberings;
    std::vector<char32_t> bullets;            // each bullet's character (0 when unreadable)
    std::vector<std::uint16_t> style_shapes;  // each style's paragraph shape
    std::vector<BinItem> bin_items;           // pictures and objects the body refers to
    std::uint16_t footnote_start = 1;
    std::uint16_t endnote_start = 1;
};

// The tables of a "/DocInfo" stream (already inflated). Never fails:
// unreadable records keep their index with default contents, and ids past
// the widest the body can name (u16 for shapes and numberings, u8 for
// styles) are not stored.
DocInfo parse_doc_info(ByteBuffer&& stream);
inline DocInfo parse_doc_info(Bytes stream) { return parse_doc_info(ByteBuffer(stream.begin(), stream.end())); }

}  // namespace brindle
