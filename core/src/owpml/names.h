// Names of the OWPML elements and attribute values the front end reads,
// named once. Elements are matched by namespace and local name.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "model/numbering.h"

namespace brindle::owpml::name {

// Sections and paragraphs (namespace hs, hp).
inline constexpr std::string_view SECTION = "sec";
inline constexpr std::string_view PARAGRAPH = "p";  // paraPrIDRef, styleIDRef, pageBreak, columnBreak
inline constexpr std::string_view RUN = "run";
inline constexpr std::string_view TEXT = "t";
inline constexpr std::string_view CONTROL = "ctrl";              // holds fields, notes, headers, numbers, ...
inline constexpr std::string_view SUB_LIST = "subList";          // a paragraph list inside an object or control
inline constexpr std::string_view SECTION_PROPERTIES = "secPr";  // outlineShapeIDRef
inline constexpr std::string_view SWITCH = "switch";             // alternatives: case (newer), default
inline constexpr std::string_view SWITCH_DEFAULT = "default";

// The layout saved with a paragraph, and what it is measured against.
inline constexpr std::string_view LINE_SEGMENTS = "linesegarray";
inline constexpr std::string_view LINE_SEGMENT = "lineseg";       // vertpos, vertsize, flags
inline constexpr std::string_view PAGE_PROPERTIES = "pagePr";     // in secPr: width, height, landscape
inline constexpr std::string_view PAGE_MARGIN = "margin";         // top, bottom, header, footer
inline constexpr std::string_view LANDSCAPE_TURNED = "NARROWLY";  // the width is the page's height
inline constexpr std::string_view COLUMN_PROPERTIES = "colPr";    // in hp:ctrl: colCount
inline constexpr std::string_view SIZE = "sz";                    // an object's width, height

// Characters inside hp:t.
inline constexpr std::string_view TAB = "tab";
inline constexpr std::string_view LINE_BREAK = "lineBreak";
inline constexpr std::string_view NON_BREAKING_SPACE = "nbSpace";
inline constexpr std::string_view FIXED_WIDTH_SPACE = "fwSpace";
inline constexpr std::string_view DELETE_BEGIN = "deleteBegin";  // change tracking: deleted text follows
inline constexpr std::string_view DELETE_END = "deleteEnd";

// Controls inside hp:ctrl.
inline constexpr std::string_view FIELD_BEGIN = "fieldBegin";  // type, name, dirty; parameters
inline constexpr std::string_view FIELD_END = "fieldEnd";
inline constexpr std::string_view FOOTNOTE = "footNote";  // number
inline constexpr std::string_view ENDNOTE = "endNote";
inline constexpr std::string_view HEADER = "header";  // applyPageType
inline constexpr std::string_view FOOTER = "footer";
inline constexpr std::string_view AUTO_NUMBER = "autoNum";  // num, numType; autoNumFormat
inline constexpr std::string_view NEW_NUMBER = "newNum";
inline constexpr std::string_view AUTO_NUMBER_FORMAT = "autoNumFormat";  // type, prefixChar, suffixChar

// Field types and parameters.
inline constexpr std::string_view FIELD_CLICK_HERE = "CLICK_HERE";
inline constexpr std::string_view FIELD_HYPERLINK = "HYPERLINK";
inline constexpr std::string_view PARAMETERS = "parameters";
inline constexpr std::string_view STRING_PARAMETER = "stringParam";
inline constexpr std::string_view INTEGER_PARAMETER = "integerParam";
inline constexpr std::string_view COMMAND = "Command";  // the field's command string
inline constexpr std::string_view PROPERTIES = "Prop";  // a click-here field's kind, 9

// Objects.
inline constexpr std::string_view TABLE = "tbl";  // rowCnt, colCnt
inline constexpr std::string_view ROW = "tr";
inline constexpr std::string_view CELL = "tc";                // borderFillIDRef (1-based)
inline constexpr std::string_view CELL_ADDRESS = "cellAddr";  // colAddr, rowAddr
inline constexpr std::string_view CELL_SPAN = "cellSpan";     // colSpan, rowSpan
inline constexpr std::string_view CAPTION = "caption";        // side
inline constexpr std::string_view EQUATION = "equation";
inline constexpr std::string_view SCRIPT = "script";
inline constexpr std::string_view POSITION = "pos";               // an object's placement
inline constexpr std::string_view TREAT_AS_CHAR = "treatAsChar";  // "1": a character of its line
inline constexpr std::string_view PICTURE = "pic";
inline constexpr std::string_view IMAGE = "img";                    // hc: a picture's image
inline constexpr std::string_view BINARY_ITEM = "binaryItemIDRef";  // the manifest item holding it
inline constexpr std::string_view CONTAINER = "container";          // a group of drawing objects
inline constexpr std::string_view DRAW_TEXT = "drawText";           // a shape's text: a subList

}  // namespace brindle::owpml::name

namespace brindle::owpml {

// The number shapes by their OWPML names, in the order of their codes.
inline constexpr std::array<std::string_view, 17> NUMBER_SHAPES = {
    "DIGIT",          "CIRCLED_DIGIT",         "ROMAN_CAPITAL",       "ROMAN_SMALL",     "LATIN_CAPITAL",
    "LATIN_SMALL",    "CIRCLED_LATIN_CAPITAL", "CIRCLED_LATIN_SMALL", "HANGUL_SYLLABLE", "CIRCLED_HANGUL_SYLLABLE",
    "HANGUL_JAMO",    "CIRCLED_HANGUL_JAMO",   "HANGUL_PHONETIC",     "IDEOGRAPH",       "CIRCLED_IDEOGRAPH",
    "DECAGON_CIRCLE", "DECAGON_CIRCLE_HANJA",
};

// A number shape by its OWPML name ("DIGIT", "HANGUL_SYLLABLE", ...);
// digits for a name not known.
inline std::uint8_t number_shape_of(std::string_view name) {
    const auto it = std::find(NUMBER_SHAPES.begin(), NUMBER_SHAPES.end(), name);
    return it == NUMBER_SHAPES.end() ? std::uint8_t{SHAPE_DIGITS}
                                     : static_cast<std::uint8_t>(it - NUMBER_SHAPES.begin());
}

}  // namespace brindle::owpml
