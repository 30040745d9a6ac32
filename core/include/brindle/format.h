// Constants of the HWP 5.0 file format, named once: record tags, control
// ids and the fixed sizes the parsers rely on.
#pragma once

#include <cstdint>
#include <string_view>

namespace brindle {

// "/FileHeader": the 17-byte signature and the minimum length that holds
// the properties word at offset 36.
inline constexpr std::string_view HWP_SIGNATURE = "HWP Document File";
inline constexpr std::size_t FILE_HEADER_MIN_SIZE = 40;
inline constexpr std::size_t FILE_HEADER_PROPERTIES_OFFSET = 36;
inline constexpr std::uint32_t FILE_HEADER_COMPRESSED = 0x1;  // sections are raw DEFLATE
inline constexpr std::uint32_t FILE_HEADER_PASSWORD = 0x2;    // document is encrypted

// Record header: 12-bit size 0xFFF announces a u32 size after the header.
inline constexpr std::uint32_t RECORD_SIZE_EXTENDED = 0xFFF;

// Record tags.
inline constexpr std::uint16_t HWPTAG_PARA_HEADER = 66;              // paragraph header
inline constexpr std::uint16_t HWPTAG_PARA_TEXT = 67;                // paragraph text, UTF-16LE with controls
inline constexpr std::uint16_t HWPTAG_CTRL_HEADER = 71;              // control header; payload starts with the id
inline constexpr std::uint16_t HWPTAG_LIST_HEADER = 72;              // opens a cell (or caption, text box) list
inline constexpr std::uint16_t HWPTAG_SHAPE_COMPONENT = 76;          // shape of a drawing object
inline constexpr std::uint16_t HWPTAG_TABLE = 77;                    // table properties: rows, cells per row
inline constexpr std::uint16_t HWPTAG_SHAPE_COMPONENT_PICTURE = 85;  // picture of a drawing object
inline constexpr std::uint16_t HWPTAG_CTRL_DATA = 87;                // control data; a click-here field's name
inline constexpr std::uint16_t HWPTAG_EQEDIT = 88;                   // equation script

// Control ids: four characters, the first in the most significant byte,
// stored little-endian (so they appear reversed in the file).
constexpr std::uint32_t make_ctrl_id(char a, char b, char c, char d) {
    return (static_cast<std::uint32_t>(static_cast<unsigned char>(a)) << 24) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 8) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(d));
}
inline constexpr std::uint32_t CTRL_CLICK_HERE = make_ctrl_id('%', 'c', 'l', 'k');  // click-here field
inline constexpr std::uint32_t CTRL_EQUATION = make_ctrl_id('e', 'q', 'e', 'd');    // equation
inline constexpr std::uint32_t CTRL_TABLE = make_ctrl_id('t', 'b', 'l', ' ');       // table
inline constexpr std::uint32_t CTRL_DRAWING = make_ctrl_id('g', 's', 'o', ' ');     // drawing object

// Tables nested deeper than this inside a cell are skipped.
inline constexpr std::int32_t MAX_TABLE_DEPTH = 3;

// Minimum HWPTAG_SHAPE_COMPONENT_PICTURE payload that marks a real picture.
inline constexpr std::size_t PICTURE_RECORD_MIN_SIZE = 73;

}  // namespace brindle
