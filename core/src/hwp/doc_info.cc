// "/DocInfo": the definitions the full profile looks paragraphs up in.
// Records of one tag form one list, indexed by their order in the stream; a
// record too short for what is read keeps its place with default contents,
// so the indices of the records after it stay right.
#include "hwp/doc_info.h"

#include <algorithm>
#include <limits>
#include <memory>

#include "hwp/format.h"
#include "hwp/record.h"
#include "text.h"

namespace brindle {
namespace {

// DOCUMENT_PROPERTIES: section count, then the start numbers of pages,
// footnotes and endnotes (u16 each).
constexpr std::size_t FOOTNOTE_START_OFFSET = 4;
constexpr std::size_t ENDNOTE_START_OFFSET = 6;

// ID_MAPPINGS: counts (i32) of the definitions of each kind, in the order
// of their records: binary data, the fonts of each script (in the order of
// Script), border fills, character shapes, tab stops, numberings, bullets,
// paragraph shapes, styles.
constexpr std::size_t ID_MAPPINGS_FONTS_OFFSET = 4;
constexpr std::size_t ID_MAPPINGS_CHARACTER_SHAPES_OFFSET = 36;
constexpr std::size_t ID_MAPPINGS_PARAGRAPH_SHAPES_OFFSET = 52;
constexpr std::size_t ID_MAPPINGS_STYLES_OFFSET = 56;

// PARA_SHAPE: attributes 1 (bits 2-4 alignment, 23-24 head kind, 25-27
// level), margins and spacing, the tab definition and, at 30, the numbering
// or bullet id.
constexpr std::size_t PARA_SHAPE_NUMBERING_OFFSET = 30;

// CHAR_SHAPE: the font of each script (u16 each), their widths, spacings,
// relative sizes and offsets (u8 each), then the base size (i32) and the
// attributes (u32, bit 0 italic, bit 1 bold).
constexpr std::size_t CHAR_SHAPE_HEIGHT_OFFSET = 42;
constexpr std::size_t CHAR_SHAPE_ATTRIBUTES_OFFSET = 46;
constexpr std::uint32_t CHAR_SHAPE_ITALIC = 0x1;
constexpr std::uint32_t CHAR_SHAPE_BOLD = 0x2;

// A level head of NUMBERING and BULLET: attributes (bits 5-8 the number
// shape), width adjustment, distance to the text, character shape id.
constexpr std::size_t LEVEL_HEAD_SIZE = 12;

ParagraphShape read_paragraph_shape(Bytes payload) {
    ParagraphShape shape;
    if (payload.size() < PARA_SHAPE_NUMBERING_OFFSET + 2) return shape;
    const std::uint32_t attributes = read_u32(payload, 0);
    shape.alignment = static_cast<Alignment>(std::min<std::uint32_t>((attributes >> 2) & 0x7, 5));
    shape.head = static_cast<HeadKind>((attributes >> 23) & 0x3);
    shape.level = static_cast<std::uint8_t>(std::min<std::uint32_t>((attributes >> 25) & 0x7, NUMBERING_LEVELS - 1));
    shape.numbering = read_u16(payload, PARA_SHAPE_NUMBERING_OFFSET);
    return shape;
}

// Seven levels of head, format length and format (UTF-16); then the start
// number (u16) and, from version 5.0.2.5, one u32 start per level.
Numbering read_numbering(Bytes payload) {
    Numbering numbering;
    numbering.starts.fill(1);
    std::size_t q = 0;
    for (std::size_t level = 0; level < NUMBERING_LEVELS; ++level) {
        numbering.offsets[level] = static_cast<std::uint16_t>(numbering.formats.size());
        if (q + LEVEL_HEAD_SIZE + 2 > payload.size()) {
            q = payload.size();
            continue;
        }
        numbering.shapes[level] = static_cast<std::uint8_t>((read_u32(payload, q) >> 5) & 0xF);
        q += LEVEL_HEAD_SIZE;
        const std::size_t units = read_u16(payload, q);
        q += 2;
        const std::size_t present = std::min(units, (payload.size() - q) / 2);
        const std::size_t kept = std::min(present, MAX_NUMBER_FORMAT_UNITS);
        // A format with an unpaired surrogate is dropped rather than guessed at.
        numbering.formats += decode_utf16_strict(payload.subspan(q, 2 * kept)).value_or(std::string());
        q += 2 * present;
    }
    numbering.offsets[NUMBERING_LEVELS] = static_cast<std::uint16_t>(numbering.formats.size());
    // Numbers start at 1 at the least: a start of 0 is what documents that
    // never set one hold.
    if (q + 2 <= payload.size()) numbering.starts[0] = std::max<std::uint32_t>(read_u16(payload, q), 1);
    q += 2;
    if (q + 4 * NUMBERING_LEVELS <= payload.size()) {
        for (std::size_t level = 0; level < NUMBERING_LEVELS; ++level) {
            numbering.starts[level] = std::max<std::uint32_t>(read_u32(payload, q + 4 * level), 1);
        }
    }
    return numbering;
}

// The string at `q` (u16 length, UTF-16 units), cut to `limit` units; `q`
// moves past all of it. Empty when it does not fit or does not decode.
std::string read_counted_string(Bytes payload, std::size_t& q, std::size_t limit) {
    std::string text;
    if (q + 2 > payload.size()) {
        q = payload.size();
        return text;
    }
    const std::size_t units = read_u16(payload, q);
    q += 2;
    const std::size_t present = std::min(units, (payload.size() - q) / 2);
    append_utf16_strict(text, payload.subspan(q, 2 * std::min(present, limit)));
    q += 2 * present;
    return text;
}

// STYLE: local name, English name (each a u16 length and UTF-16 units),
// attributes (u8, bits 0-2 the kind: 0 paragraph, 1 character), next style
// (u8), language (u16), then the paragraph and character shape ids.
Style read_style(Bytes payload) {
    Style style;
    std::size_t q = 0;
    style.name = read_counted_string(payload, q, MAX_NAME_UNITS);
    q = std::min(payload.size(), q + 2 + 2 * std::size_t{read_u16_or(payload, q, 0)});  // the English name
    if (q < payload.size()) style.character = (payload[q] & 0x7) == 1;
    style.paragraph_shape = read_u16_or(payload, q + 4, 0);
    style.character_shape = read_u16_or(payload, q + 6, 0);
    return style;
}

CharacterShape read_character_shape(Bytes payload) {
    CharacterShape shape;
    if (payload.size() < CHAR_SHAPE_ATTRIBUTES_OFFSET + 4) return shape;
    for (std::size_t k = 0; k < SCRIPTS; ++k) shape.fonts[k] = read_u16(payload, 2 * k);
    shape.height = static_cast<std::int32_t>(read_u32(payload, CHAR_SHAPE_HEIGHT_OFFSET));
    const std::uint32_t attributes = read_u32(payload, CHAR_SHAPE_ATTRIBUTES_OFFSET);
    shape.italic = (attributes & CHAR_SHAPE_ITALIC) != 0;
    shape.bold = (attributes & CHAR_SHAPE_BOLD) != 0;
    return shape;
}

// FACE_NAME: attributes (u8), then the name (a u16 length and UTF-16 units).
// The records are kept, with the stream they view, and the names made text
// when the walk first asks for one.
struct StoredFonts {
    std::shared_ptr<const RecordList> records;
    std::vector<std::uint32_t> names;           // the FACE_NAME records, script by script
    std::array<std::uint32_t, SCRIPTS> ends{};  // script k's end in `names` (from the last script's)

    FontTable::Names read() const {
        FontTable::Names table;
        std::size_t begin = 0;
        for (std::size_t k = 0; k < SCRIPTS; ++k) {
            const std::size_t end = std::max<std::size_t>(ends[k], begin);
            table[k].reserve(end - begin);
            for (std::size_t f = begin; f < end; ++f) {
                std::size_t at = 1;  // past the attributes
                table[k].push_back(read_counted_string((*records)[names[f]].bytes(), at, MAX_NAME_UNITS));
            }
            begin = end;
        }
        return table;
    }
};

// BORDER_FILL: attributes (u16), four borders and a diagonal (kind and
// width u8, colour u32 each), then the brush: its kinds (u32, bit 0 a
// colour, bit 1 a picture, bit 2 a gradation); for a colour, the face and
// hatch colours and the hatch pattern (i32, -1 for none); after it, for a
// gradation, its kind (u8), angle, centre, step and colour count (i32
// each), then the colours.
constexpr std::size_t BORDER_FILL_BRUSH_OFFSET = 32;
constexpr std::uint32_t BRUSH_COLOUR = 0x1;
constexpr std::uint32_t BRUSH_GRADATION = 0x4;
constexpr std::size_t BRUSH_COLOUR_SIZE = 12;
constexpr std::size_t GRADATION_COUNT_OFFSET = 17;
constexpr std::size_t GRADATION_COLOURS_OFFSET = 21;
constexpr std::int32_t MAX_HATCH_PATTERN = 14;

// A COLORREF (0x00BBGGRR) as 0xRRGGBB; none when its high byte is set.
std::uint32_t rgb_of(std::uint32_t colorref) {
    if ((colorref >> 24) != 0) return FillBrush::NONE;
    return (colorref & 0xFF) << 16 | (colorref & 0xFF00) | (colorref >> 16 & 0xFF);
}

// A brush cut short keeps what it holds whole.
Shade read_border_fill(Bytes payload) {
    FillBrush brush;
    const std::uint32_t kinds = read_u32_or(payload, BORDER_FILL_BRUSH_OFFSET, 0);
    std::size_t q = BORDER_FILL_BRUSH_OFFSET + 4;
    if ((kinds & BRUSH_COLOUR) != 0 && q + BRUSH_COLOUR_SIZE <= payload.size()) {
        brush.face = rgb_of(read_u32(payload, q));
        const auto pattern = static_cast<std::int32_t>(read_u32(payload, q + 8));
        if (pattern >= 0 && pattern <= MAX_HATCH_PATTERN) {
            brush.pattern = static_cast<std::uint8_t>(pattern + 1);
            brush.hatch = rgb_of(read_u32(payload, q + 4));
        }
        q += BRUSH_COLOUR_SIZE;
    }
    if ((kinds & BRUSH_GRADATION) != 0 && q + GRADATION_COLOURS_OFFSET + 4 <= payload.size() &&
        read_u32(payload, q + GRADATION_COUNT_OFFSET) != 0) {
        brush.gradation = rgb_of(read_u32(payload, q + GRADATION_COLOURS_OFFSET));
    }
    return shade_of(brush);
}

// BIN_DATA: attributes (bits 0-3 the kind, 4-5 the compression); a link
// has its absolute and relative paths (each a u16 length and UTF-16
// units), an embedded or stored item its storage id (u16), an embedded one
// then its extension (a u16 length and UTF-16 units).
constexpr std::size_t MAX_EXTENSION_UNITS = 16;
constexpr std::size_t MAX_LINK_PATH_UNITS = 1024;

BinaryItem read_binary_item(Bytes payload) {
    BinaryItem item;
    if (payload.size() < 2) return item;
    const std::uint16_t attributes = read_u16(payload, 0);
    item.kind = static_cast<BinaryItem::Kind>(std::min(attributes & 0xF, 3));
    item.compression = static_cast<BinaryItem::Compression>(std::min((attributes >> 4) & 0x3, 2));
    std::size_t q = 2;
    if (item.kind == BinaryItem::Kind::Link) {
        std::string absolute = read_counted_string(payload, q, MAX_LINK_PATH_UNITS);
        std::string relative = read_counted_string(payload, q, MAX_LINK_PATH_UNITS);
        item.path = absolute.empty() ? std::move(relative) : std::move(absolute);
    } else if (item.kind != BinaryItem::Kind::Unknown) {
        item.storage_id = read_u16_or(payload, q, 0);
        q += 2;
        if (item.kind == BinaryItem::Kind::Embedding)
            item.extension = read_counted_string(payload, q, MAX_EXTENSION_UNITS);
    }
    return item;
}

}  // namespace

Definitions parse_doc_info(ByteBuffer&& stream) {
    Definitions definitions;
    // The fonts of each script, as ID_MAPPINGS counts them; the fonts are
    // listed script by script. Without the counts, every font is Hangul's.
    std::array<std::uint32_t, SCRIPTS> font_counts{};
    font_counts[0] = std::numeric_limits<std::uint32_t>::max();
    std::size_t script = 0, fonts_in_script = 0;
    std::size_t border_fills = 0;
    StoredFonts fonts;
    fonts.records = std::make_shared<const RecordList>(parse_records(std::move(stream)));
    const RecordList& records = *fonts.records;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const HwpRecord& r = records[i];
        const Bytes payload = r.bytes();
        switch (r.tag_id) {
            case HWPTAG_DOCUMENT_PROPERTIES:
                definitions.footnote_start = read_u16_or(payload, FOOTNOTE_START_OFFSET, 1);
                definitions.endnote_start = read_u16_or(payload, ENDNOTE_START_OFFSET, 1);
                break;
            case HWPTAG_ID_MAPPINGS: {
                // Room for what the counts announce, as far as the stream's
                // records can hold it.
                const auto reserve = [&](auto& list, std::size_t offset, std::size_t most) {
                    list.reserve(std::min<std::size_t>({read_u32_or(payload, offset, 0), records.size(), most}));
                };
                for (std::size_t k = 0; k < SCRIPTS; ++k) {
                    font_counts[k] = read_u32_or(payload, ID_MAPPINGS_FONTS_OFFSET + 4 * k, 0);
                }
                reserve(definitions.character_shapes, ID_MAPPINGS_CHARACTER_SHAPES_OFFSET, MAX_U16_IDS);
                reserve(definitions.paragraph_shapes, ID_MAPPINGS_PARAGRAPH_SHAPES_OFFSET, MAX_U16_IDS);
                reserve(definitions.styles, ID_MAPPINGS_STYLES_OFFSET, MAX_STYLES);
                break;
            }
            case HWPTAG_FACE_NAME:
                while (script < SCRIPTS && fonts_in_script >= font_counts[script]) {
                    ++script;
                    fonts_in_script = 0;
                }
                if (script == SCRIPTS) break;  // past every count: no character shape can name it
                ++fonts_in_script;
                if (fonts_in_script <= MAX_U16_IDS) {
                    fonts.names.push_back(static_cast<std::uint32_t>(i));
                    fonts.ends[script] = static_cast<std::uint32_t>(fonts.names.size());
                }
                break;
            case HWPTAG_BORDER_FILL:
                keep_border_fill(definitions.border_fills, border_fills++, read_border_fill(payload));
                break;
            case HWPTAG_CHAR_SHAPE:
                if (definitions.character_shapes.size() < MAX_U16_IDS) {
                    definitions.character_shapes.push_back(read_character_shape(payload));
                }
                break;
            case HWPTAG_PARA_SHAPE:
                if (definitions.paragraph_shapes.size() < MAX_U16_IDS) {
                    definitions.paragraph_shapes.push_back(read_paragraph_shape(payload));
                }
                break;
            case HWPTAG_NUMBERING:
                if (definitions.numberings.size() < MAX_U16_IDS)
                    definitions.numberings.push_back(read_numbering(payload));
                break;
            case HWPTAG_BULLET:
                if (definitions.bullets.size() < MAX_U16_IDS) {
                    definitions.bullets.push_back(read_u16_or(payload, LEVEL_HEAD_SIZE, 0));
                }
                break;
            case HWPTAG_BIN_DATA:
                if (definitions.binary_items.size() < MAX_U16_IDS) {
                    definitions.binary_items.push_back(read_binary_item(payload));
                }
                break;
            case HWPTAG_STYLE:
                if (definitions.styles.size() < MAX_STYLES) definitions.styles.push_back(read_style(payload));
                break;
            default: break;
        }
    }
    if (!fonts.names.empty()) {
        // The stream stays with the fonts' reader, as long as the conversion.
        definitions.fonts = FontTable([fonts = std::move(fonts)] { return fonts.read(); });
    }
    return definitions;
}

}  // namespace brindle
