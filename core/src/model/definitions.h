// The document's definitions that its body refers to by id: paragraph and
// character shapes, the fonts those name, styles, numberings and bullets,
// binary items, the shades of border fills and the notes' first numbers.
// Each front end fills them from its own format (HWP's "/DocInfo", HWPX's
// header part); every id in the body is a position in one of these lists.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brindle {

// What stands before a paragraph's text, by the paragraph shape.
enum class HeadKind : std::uint8_t { None = 0, Outline = 1, Number = 2, Bullet = 3 };

// How a paragraph's lines are set between its margins.
enum class Alignment : std::uint8_t { Justify = 0, Left = 1, Right = 2, Center = 3, Distribute = 4, Divide = 5 };

struct ParagraphShape {
    HeadKind head = HeadKind::None;
    std::uint8_t level = 0;       // 0-6: the outline or numbering level
    std::uint16_t numbering = 0;  // 1-based numbering or bullet index; 0 for none
    Alignment alignment = Alignment::Justify;
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
    std::array<std::uint8_t, NUMBERING_LEVELS> shapes{};   // number shape of each level
    std::array<std::uint32_t, NUMBERING_LEVELS> starts{};  // first number of each level

    std::string_view format(std::size_t level) const {
        return std::string_view(formats).substr(offsets[level], offsets[level + 1] - offsets[level]);
    }
    // The seven formats, given one by one (each already cut).
    void set_formats(const std::array<std::string, NUMBERING_LEVELS>& each) {
        formats.clear();
        for (std::size_t k = 0; k < NUMBERING_LEVELS; ++k) {
            offsets[k] = static_cast<std::uint16_t>(formats.size());
            formats += each[k];
        }
        offsets[NUMBERING_LEVELS] = static_cast<std::uint16_t>(formats.size());
    }
};

// The scripts a character shape names a font for, in the order both
// formats list them.
enum class Script : std::uint8_t { Hangul = 0, Latin, Hanja, Japanese, Other, Symbol, User };
inline constexpr std::size_t SCRIPTS = 7;

struct CharacterShape {
    std::int32_t height = 1000;  // the base size, in hundredths of a point
    bool bold = false;
    bool italic = false;
    // Each script's font: a position in the document's fonts of that script.
    std::array<std::uint16_t, SCRIPTS> fonts{};
};

// The character shapes by id. A document defines dozens to hundreds and
// the headings look at the few its body paragraphs are set in, so a front
// end may hand over how many there are and a reader of one, and each is
// read when first asked for.
class CharacterShapes {
public:
    using Reader = std::function<CharacterShape(std::size_t id)>;

    CharacterShapes() = default;
    CharacterShapes(std::initializer_list<CharacterShape> shapes) : shapes_(shapes) {}
    CharacterShapes(std::size_t count, Reader read) : shapes_(count), known_(count, false), read_(std::move(read)) {}

    std::size_t size() const { return shapes_.size(); }
    bool empty() const { return shapes_.empty(); }
    // A list read whole, shape by shape.
    void reserve(std::size_t count) { shapes_.reserve(count); }
    void push_back(const CharacterShape& shape) { shapes_.push_back(shape); }
    // Shape `id`, which must be below size().
    const CharacterShape& operator[](std::size_t id) const {
        if (read_ && !known_[id]) {
            shapes_[id] = read_(id);
            known_[id] = true;
        }
        return shapes_[id];
    }

private:
    // With a reader, each is read on first use (a conversion's definitions
    // are used by one thread); without, all were given.
    mutable std::vector<CharacterShape> shapes_;
    mutable std::vector<bool> known_;
    Reader read_;
};

// The fonts a document lists for each script, in order. A document lists
// dozens and a conversion asks for a few at most, so a front end may hand
// over a reader that makes the names when they are first asked for.
class FontTable {
public:
    using Names = std::array<std::vector<std::string>, SCRIPTS>;

    FontTable() = default;
    explicit FontTable(Names names) : names_(std::move(names)) {}
    explicit FontTable(std::function<Names()> read) : read_(std::move(read)) {}

    // The name of font `id` of `script`; empty when the list has none.
    std::string_view name(Script script, std::uint16_t id) const {
        const std::vector<std::string>& names = of(script);
        return id < names.size() ? std::string_view(names[id]) : std::string_view();
    }
    // The fonts of `script`, in order.
    const std::vector<std::string>& of(Script script) const {
        if (read_) names_ = std::exchange(read_, nullptr)();
        return names_[static_cast<std::size_t>(script)];
    }

private:
    // Read on first use; a conversion's definitions are used by one thread.
    mutable std::function<Names()> read_;
    mutable Names names_;
};

struct Style {
    std::string name;        // as the document names it ("바탕글", "개요 1")
    bool character = false;  // a character style, which sets no paragraph shape
    std::uint16_t paragraph_shape = 0;
    std::uint16_t character_shape = 0;
};

// A binary item a picture or object refers to: a file linked from outside
// the document, or a stream of the document by its storage id.
struct BinaryItem {
    enum class Kind : std::uint8_t { Link = 0, Embedding = 1, Storage = 2, Unknown = 3 };
    // How its stream is stored: as the document's sections are, or always
    // deflated, or never.
    enum class Compression : std::uint8_t { AsDocument = 0, Deflated = 1, Stored = 2 };
    Kind kind = Kind::Unknown;
    Compression compression = Compression::AsDocument;
    std::uint16_t storage_id = 0;  // Embedding, Storage: names its stream
    std::string extension;         // Embedding: "jpg", "png", ... (UTF-8, cut to 16 units)
    std::string path;              // Link: where the file is kept (UTF-8, cut to 1024 units)
};

// How a border fill shades what it is given to (a table cell), as a reader
// sees it: one value for each look, so that two cells shaded alike have the
// same. NO_SHADE for none: no brush, a transparent or white one, or a
// picture. Else the kind of brush (bits 28-31), its hatch pattern (bits
// 24-27, 0 for none) and its colour (0xRRGGBB; a gradation's first).
using Shade = std::uint32_t;
inline constexpr Shade NO_SHADE = 0;

// A border fill's brush as either format stores it, read into a Shade by
// shade_of: a face colour (none when transparent), a hatch pattern over it
// (its code + 1; 0 for none) in a colour of its own, a gradation's first
// colour. Colours are 0xRRGGBB.
struct FillBrush {
    static constexpr std::uint32_t NONE = 0xFFFFFFFF;
    std::uint32_t face = NONE;
    std::uint8_t pattern = 0;
    std::uint32_t hatch = NONE;
    std::uint32_t gradation = NONE;
};

constexpr Shade shade_of(const FillBrush& brush) {
    constexpr std::uint32_t WHITE = 0xFFFFFF;
    const auto shade = [&](std::uint32_t kind, std::uint32_t colour) {
        return kind << 28 | std::uint32_t{brush.pattern & 0xFu} << 24 | (colour & 0xFFFFFF);
    };
    // White shows as no fill at all; a pattern on it does not.
    if (brush.face != FillBrush::NONE && (brush.face != WHITE || brush.pattern != 0)) return shade(1, brush.face);
    if (brush.pattern != 0 && brush.hatch != FillBrush::NONE && brush.hatch != WHITE) return shade(2, brush.hatch);
    if (brush.gradation != FillBrush::NONE) return shade(3, brush.gradation);
    return NO_SHADE;
}

// Ids the body can hold: paragraph and character shapes, numberings,
// bullets, fonts and binary items are named by a u16, styles by a u8.
// Definitions past them cannot be referred to and are not kept.
inline constexpr std::size_t MAX_U16_IDS = std::size_t{0xFFFF} + 1;
inline constexpr std::size_t MAX_STYLES = 256;

// Names (of fonts and styles) are cut to this many UTF-16 units: real ones
// are a few words, and the cut bounds what a crafted list can hold.
inline constexpr std::size_t MAX_NAME_UNITS = 256;

// Keep border fill `index` (0-based, in the document's order) as `shade`
// in `shades`, which hold the fills up to the last that shades anything:
// none at all in a document without shading, so that there no cell's
// border fill need be read.
inline void keep_border_fill(std::vector<Shade>& shades, std::size_t index, Shade shade) {
    if (shade == NO_SHADE || index >= MAX_U16_IDS) return;
    shades.resize(index, NO_SHADE);
    shades.push_back(shade);
}

struct Definitions {
    std::vector<ParagraphShape> paragraph_shapes;
    CharacterShapes character_shapes;
    FontTable fonts;
    std::vector<Style> styles;
    std::vector<Numbering> numberings;
    std::vector<char32_t> bullets;  // each bullet's character (0 when unreadable)
    std::vector<BinaryItem> binary_items;
    // Each border fill's shade, in order, up to the last that shades
    // anything (see keep_border_fill).
    std::vector<Shade> border_fills;
    std::uint16_t footnote_start = 1;
    std::uint16_t endnote_start = 1;

    // The shade of border fill `id` (1-based, as cells name it); none for
    // an id the document does not define.
    Shade shade(std::uint32_t id) const {
        return id >= 1 && id <= border_fills.size() ? border_fills[id - 1] : NO_SHADE;
    }

    // The name of the font `shape` sets for `script`; empty when the
    // document names none there.
    std::string_view font_name(const CharacterShape& shape, Script script) const {
        return fonts.name(script, shape.fonts[static_cast<std::size_t>(script)]);
    }
};

}  // namespace brindle
