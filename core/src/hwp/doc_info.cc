// "/DocInfo": the tables the full profile looks paragraphs up in. Records
// of one tag form one table, indexed by their order in the stream; a record
// too short for what is read keeps its place with default contents, so the
// indices of the records after it stay right.
#include "hwp/doc_info.h"

#include <algorithm>
#include <limits>

#include "hwp/format.h"
#include "hwp/record.h"
#include "text.h"

namespace brindle {
namespace {

// The widest ids the body can hold: paragraph shapes, numberings and bullets
// are named by u16, styles by u8. Records past them cannot be referred to.
constexpr std::size_t MAX_U16_IDS = std::size_t{std::numeric_limits<std::uint16_t>::max()} + 1;
constexpr std::size_t MAX_STYLES = 256;

// DOCUMENT_PROPERTIES: section count, then the start numbers of pages,
// footnotes and endnotes (u16 each).
constexpr std::size_t FOOTNOTE_START_OFFSET = 4;
constexpr std::size_t ENDNOTE_START_OFFSET = 6;

// PARA_SHAPE: attributes 1 (bits 23-24 head kind, 25-27 level), margins and
// spacing, the tab definition and, at 30, the numbering or bullet id.
constexpr std::size_t PARA_SHAPE_NUMBERING_OFFSET = 30;

// A level head of NUMBERING and BULLET: attributes (bits 5-8 the number
// shape), width adjustment, distance to the text, character shape id.
constexpr std::size_t LEVEL_HEAD_SIZE = 12;

ParaShape read_para_shape(Bytes payload) {
    ParaShape shape;
    if (payload.size() < PARA_SHAPE_NUMBERING_OFFSET + 2) return shape;
    const std::uint32_t attributes = read_u32(payload, 0);
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

// STYLE: local name, English name (each a u16 length and UTF-16 units),
// attributes, next style, language, then the paragraph shape id.
std::uint16_t read_style_shape(Bytes payload) {
    std::size_t q = 0;
    for (int name = 0; name < 2; ++name) {
        if (q + 2 > payload.size()) return 0;
        q += 2 + 2 * std::size_t{read_u16(payload, q)};
    }
    return read_u16_or(payload, q + 4, 0);
}

// BIN_DATA: attributes (bits 0-3 the kind, 4-5 the compression); a link
// has its absolute and relative paths (each a u16 length and UTF-16
// units), an embedded or stored item its storage id (u16), an embedded one
// then its extension (a u16 length and UTF-16 units).
constexpr std::size_t MAX_EXTENSION_UNITS = 16;
constexpr std::size_t MAX_LINK_PATH_UNITS = 1024;

// The string at `q` (u16 length, UTF-16 units), cut to `limit` units; `q`
// moves past all of it. Empty when it does not fit or does not decode.
std::string read_counted_string(Bytes payload, std::size_t& q, std::size_t limit) {
    if (q + 2 > payload.size()) {
        q = payload.size();
        return {};
    }
    const std::size_t units = read_u16(payload, q);
    q += 2;
    const std::size_t present = std::min(units, (payload.size() - q) / 2);
    std::string text = decode_utf16_strict(payload.subspan(q, 2 * std::min(present, limit))).value_or(std::string());
    q += 2 * present;
    return text;
}

BinItem read_bin_item(Bytes payload) {
    BinItem item;
    if (payload.size() < 2) return item;
    const std::uint16_t attributes = read_u16(payload, 0);
    item.kind = static_cast<BinItem::Kind>(std::min(attributes & 0xF, 3));
    item.compression = static_cast<BinItem::Compression>(std::min((attributes >> 4) & 0x3, 2));
    std::size_t q = 2;
    if (item.kind == BinItem::Kind::Link) {
        std::string absolute = read_counted_string(payload, q, MAX_LINK_PATH_UNITS);
        std::string relative = read_counted_string(payload, q, MAX_LINK_PATH_UNITS);
        item.path = absolute.empty() ? std::move(relative) : std::move(absolute);
    } else if (item.kind != BinItem::Kind::Unknown) {
        item.storage_id = read_u16_or(payload, q, 0);
        q += 2;
        if (item.kind == BinItem::Kind::Embedding) item.extension = read_counted_string(payload, q, MAX_EXTENSION_UNITS);
    }
    return item;
}

}  // namespace

DocInfo parse_doc_info(ByteBuffer&& stream) {
    DocInfo info;
    const RecordList records = parse_records(std::move(stream));
    for (const HwpRecord& r : records) {
        const Bytes payload = r.bytes();
        switch (r.tag_id) {
            case HWPTAG_DOCUMENT_PROPERTIES:
                info.footnote_start = read_u16_or(payload, FOOTNOTE_START_OFFSET, 1);
                info.endnote_start = read_u16_or(payload, ENDNOTE_START_OFFSET, 1);
                break;
            case HWPTAG_PARA_SHAPE:
                if (info.para_shapes.size() < MAX_U16_IDS) info.para_shapes.push_back(read_para_shape(payload));
                break;
            case HWPTAG_NUMBERING:
                if (info.numberings.size() < MAX_U16_IDS) info.numberings.push_back(read_numbering(payload));
                break;
            case HWPTAG_BULLET:
                if (info.bullets.size() < MAX_U16_IDS) {
                    info.bullets.push_back(read_u16_or(payload, LEVEL_HEAD_SIZE, 0));
                }
                break;
            case HWPTAG_BIN_DATA:
                if (info.bin_items.size() < MAX_U16_IDS) info.bin_items.push_back(read_bin_item(payload));
                break;
            case HWPTAG_STYLE:
                if (info.style_shapes.size() < MAX_STYLES) info.style_shapes.push_back(read_style_shape(payload));
                break;
            default:
                break;
        }
    }
    return info;
}

}  // namespace brindle
