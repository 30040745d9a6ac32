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
// Saved for distribution: the body is encrypted in "/ViewText", and
// "/BodyText" holds only a notice that a newer viewer is needed.
inline constexpr std::uint32_t FILE_HEADER_DISTRIBUTION = 0x4;
inline constexpr std::string_view DISTRIBUTION_BODY_PATH = "/ViewText/Section0";

// The document's properties: an OLE property set.
inline constexpr std::string_view SUMMARY_INFORMATION_PATH = "/\005HwpSummaryInformation";

// Record header: 12-bit size 0xFFF announces a u32 size after the header.
inline constexpr std::uint32_t RECORD_SIZE_EXTENDED = 0xFFF;

// Record tags of "/DocInfo".
inline constexpr std::uint16_t HWPTAG_DOCUMENT_PROPERTIES = 16;  // section count, start numbers
inline constexpr std::uint16_t HWPTAG_ID_MAPPINGS = 17;          // how many definitions of each kind follow
inline constexpr std::uint16_t HWPTAG_BIN_DATA = 18;             // a binary-data item: kind, storage id, extension
inline constexpr std::uint16_t HWPTAG_FACE_NAME = 19;            // a font: its name
inline constexpr std::uint16_t HWPTAG_BORDER_FILL = 20;          // a border fill: four borders, a diagonal, a brush
inline constexpr std::uint16_t HWPTAG_CHAR_SHAPE = 21;           // a character shape: fonts, base size, bold, italic
inline constexpr std::uint16_t HWPTAG_NUMBERING = 23;            // a paragraph numbering: 7 level formats
inline constexpr std::uint16_t HWPTAG_BULLET = 24;               // a bullet: its character
inline constexpr std::uint16_t HWPTAG_PARA_SHAPE = 25;           // a paragraph shape: head kind, level, numbering
inline constexpr std::uint16_t HWPTAG_STYLE = 26;                // a style: names, kind, paragraph and character shape

// Record tags of the body sections.
inline constexpr std::uint16_t HWPTAG_PARA_HEADER = 66;              // paragraph header
inline constexpr std::uint16_t HWPTAG_PARA_TEXT = 67;                // paragraph text, UTF-16LE with controls
inline constexpr std::uint16_t HWPTAG_PARA_CHAR_SHAPE = 68;          // where each character shape of the text begins
inline constexpr std::uint16_t HWPTAG_PARA_LINE_SEG = 69;            // the paragraph's lines as last laid out
inline constexpr std::uint16_t HWPTAG_CTRL_HEADER = 71;              // control header; payload starts with the id
inline constexpr std::uint16_t HWPTAG_LIST_HEADER = 72;              // opens a cell (or caption, text box) list
inline constexpr std::uint16_t HWPTAG_PAGE_DEF = 73;                 // a section's paper size and margins
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
inline constexpr std::uint32_t CTRL_CLICK_HERE = make_ctrl_id('%', 'c', 'l', 'k');   // click-here field
inline constexpr std::uint32_t CTRL_EQUATION = make_ctrl_id('e', 'q', 'e', 'd');     // equation
inline constexpr std::uint32_t CTRL_TABLE = make_ctrl_id('t', 'b', 'l', ' ');        // table
inline constexpr std::uint32_t CTRL_DRAWING = make_ctrl_id('g', 's', 'o', ' ');      // drawing object
inline constexpr std::uint32_t CTRL_SECTION = make_ctrl_id('s', 'e', 'c', 'd');      // section definition
inline constexpr std::uint32_t CTRL_COLUMNS = make_ctrl_id('c', 'o', 'l', 'd');      // column definition
inline constexpr std::uint32_t CTRL_FOOTNOTE = make_ctrl_id('f', 'n', ' ', ' ');     // footnote
inline constexpr std::uint32_t CTRL_ENDNOTE = make_ctrl_id('e', 'n', ' ', ' ');      // endnote
inline constexpr std::uint32_t CTRL_HEADER = make_ctrl_id('h', 'e', 'a', 'd');       // page header
inline constexpr std::uint32_t CTRL_FOOTER = make_ctrl_id('f', 'o', 'o', 't');       // page footer
inline constexpr std::uint32_t CTRL_HYPERLINK = make_ctrl_id('%', 'h', 'l', 'k');    // hyperlink field
inline constexpr std::uint32_t CTRL_AUTO_NUMBER = make_ctrl_id('a', 't', 'n', 'o');  // automatic number

// HWPTAG_PARA_HEADER: the text's length in UTF-16 units (u32, bit 31 a
// flag), the controls' mask (u32), then the paragraph shape (u16) and the
// style (u8).
inline constexpr std::size_t PARA_HEADER_SHAPE_OFFSET = 8;
inline constexpr std::size_t PARA_HEADER_STYLE_OFFSET = 10;
inline constexpr std::uint32_t PARA_HEADER_LENGTH_MASK = 0x7FFFFFFF;
// Then (u8) the breaks before the paragraph: bit 2 a page break, bit 3 a
// column break (bits 0 and 1, a section and a new column layout, are
// told by the controls).
inline constexpr std::size_t PARA_HEADER_BREAKS_OFFSET = 11;
inline constexpr std::uint8_t PARA_BREAK_PAGE = 0x04;
inline constexpr std::uint8_t PARA_BREAK_COLUMN = 0x08;

// HWPTAG_PARA_LINE_SEG: one entry per line segment: text position, top
// (i32, from the top of the column region on its page), height (i32), text
// height, baseline, spacing, left, width, then the flags (u32).
inline constexpr std::size_t LINE_SEG_ENTRY_SIZE = 36;
inline constexpr std::size_t LINE_SEG_TOP_OFFSET = 4;
inline constexpr std::size_t LINE_SEG_HEIGHT_OFFSET = 8;
inline constexpr std::size_t LINE_SEG_FLAGS_OFFSET = 32;

// HWPTAG_PAGE_DEF (under 'secd'): u32 width, height, then the left, right,
// top, bottom, header, footer and gutter margins, then the properties,
// whose bit 0 turns the paper (the width is then the page's height).
inline constexpr std::size_t PAGE_DEF_WIDTH_OFFSET = 0;
inline constexpr std::size_t PAGE_DEF_HEIGHT_OFFSET = 4;
inline constexpr std::size_t PAGE_DEF_TOP_OFFSET = 16;
inline constexpr std::size_t PAGE_DEF_BOTTOM_OFFSET = 20;
inline constexpr std::size_t PAGE_DEF_HEADER_OFFSET = 24;
inline constexpr std::size_t PAGE_DEF_FOOTER_OFFSET = 28;
inline constexpr std::size_t PAGE_DEF_PROPERTIES_OFFSET = 36;
inline constexpr std::uint32_t PAGE_DEF_LANDSCAPE = 0x1;

// 'cold': the id, then its properties (u16), the column count in bits 2-9.
inline constexpr std::size_t COLUMNS_PROPERTIES_OFFSET = 4;
inline constexpr unsigned COLUMNS_COUNT_SHIFT = 2;
inline constexpr std::uint16_t COLUMNS_COUNT_MASK = 0xFF;

// HWPTAG_PARA_CHAR_SHAPE: (u32 position in the text, u32 character shape)
// for each run of one shape, in order.
inline constexpr std::size_t PARA_CHAR_SHAPE_ENTRY_SIZE = 8;

// An inline or extended control of a paragraph's text fills 8 code units:
// its code, six units of data, its code again.
inline constexpr std::size_t CONTROL_UNITS = 8;

// Codes below 32 that stand alone (line break, paragraph end, hyphen, the
// special spaces and the reserved ones); every other code below 32 opens an
// 8-unit control.
constexpr bool is_char_control(std::uint16_t u) { return u == 0 || u == 10 || u == 13 || (u >= 24 && u < 32); }

// Paragraph text codes the full profile reads: characters that become
// text, and the extended controls whose place in the text it keeps.
inline constexpr std::uint16_t CHAR_LINE_BREAK = 10;
inline constexpr std::uint16_t CHAR_NON_BREAKING_SPACE = 30;
inline constexpr std::uint16_t CHAR_FIXED_WIDTH_SPACE = 31;
inline constexpr std::uint16_t CODE_FIELD_START = 3;  // data starts with the field's control id
inline constexpr std::uint16_t CODE_FIELD_END = 4;
inline constexpr std::uint16_t CODE_TAB = 9;
inline constexpr std::uint16_t CODE_NOTE = 17;         // footnote or endnote
inline constexpr std::uint16_t CODE_AUTO_NUMBER = 18;  // automatic number

// HWPTAG_LIST_HEADER: paragraph count, attributes, then from this offset
// what the list's owner keeps there: a cell's column, row, column span and
// row span (u16 each), width and height (u32 each), four margins (u16
// each) and its border fill (u16, 1-based); a caption's attributes (u32,
// bits 0-1 its side).
inline constexpr std::size_t LIST_OWNER_OFFSET = 8;
inline constexpr std::size_t CELL_BORDER_FILL_OFFSET = LIST_OWNER_OFFSET + 24;
inline constexpr std::uint32_t CAPTION_SIDE_MASK = 0x3;
inline constexpr std::uint32_t CAPTION_RIGHT = 1;  // 0 left, 2 top
inline constexpr std::uint32_t CAPTION_BOTTOM = 3;

// An object control's attributes (u32 after its control id), bit 0: the
// object is placed as a character of its line.
inline constexpr std::uint32_t OBJECT_TREAT_AS_CHAR = 1;
// Then the vertical and horizontal offsets (i32), the width and the height
// (u32).
inline constexpr std::size_t OBJECT_HEIGHT_OFFSET = 20;

// Minimum HWPTAG_SHAPE_COMPONENT_PICTURE payload that marks a real picture.
inline constexpr std::size_t PICTURE_RECORD_MIN_SIZE = 73;
// Where that payload holds the picture's binary-data item (u16, the 1-based
// index of a HWPTAG_BIN_DATA record): after the border (12 bytes), the
// picture's corners (32), the crop (16), the inner margins (8), brightness,
// contrast and effect (3).
inline constexpr std::size_t PICTURE_BIN_ITEM_OFFSET = 71;

// "/BinData/BIN0001.jpg": the stream of an embedded binary-data item, by its
// storage id in upper-case hexadecimal and its extension.
inline constexpr std::string_view BIN_DATA_STORAGE = "/BinData/";

}  // namespace brindle
