// Pages of the document's last layout (full profile). The word processor
// saves with each paragraph the lines it laid out: each line's top,
// measured from the top of its column region on its page, and its height.
// A line whose top is above the line before it stands in the next column
// or on the next page; page and column breaks, new column layouts and
// sections say the rest. Both front ends read their format's fields into
// a ParagraphLayout for each top-level body paragraph; PageMarker puts a
// NewPage block before the first block of each page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/content_block.h"

namespace brindle {

// One line segment as the layout saved it.
struct LineSegment {
    std::int32_t top = 0;  // from the top of its column region on its page
    std::int32_t height = 0;
    std::uint32_t flags = 0;
};

// Flag of a segment that opens its line (a line of several segments flows
// around an object). Writers that set it on no segment of a paragraph
// have one segment per line.
inline constexpr std::uint32_t LINE_SEGMENT_OPENS_LINE = 1u << 17;

// What a top-level body paragraph says of the layout.
struct ParagraphLayout {
    bool page_break = false;          // it starts a page
    bool column_break = false;        // it starts a column
    std::uint16_t columns = 0;        // it opens a column region of this many columns; 0: it does not
    std::int32_t tallest_object = 0;  // the tallest table, picture or shape anchored in it
    std::vector<LineSegment> lines;   // none: the document stores no layout for it
};

// The page each top-level body paragraph's first line stands on, fed the
// paragraphs in order. A paragraph without lines is on the page of the
// line before it.
class PageCounter {
public:
    struct Placement {
        std::uint32_t page = 1;
        // The previous paragraph's only line hung below the body: it stands
        // on `page` too, which it opens.
        bool previous_moves = false;
    };

    // A section begins (every section after the first on a page of its
    // own); then its body height, the page's height inside its margins,
    // when its page definition has been read (none: no limit is known).
    void begin_section();
    void set_body_height(std::int64_t height);

    Placement place(const ParagraphLayout& paragraph);

private:
    static constexpr std::int64_t NO_LIMIT = INT64_MAX / 4;

    // The state of the section being read.
    struct Section {
        std::int64_t body = NO_LIMIT;
        std::uint32_t columns = 1;
        std::uint32_t column = 0;
        std::int64_t region_top = 0;     // the first line's top in this column region
        std::int64_t region_base = 0;    // where the column region starts on the page
        std::int64_t region_bottom = 0;  // its lowest line's bottom on this page
        bool has_previous = false;       // a line of the section was read
        std::int64_t previous_top = 0;
        std::int64_t previous_height = 0;
        std::int64_t previous_objects = 0;  // the tallest object of the last paragraph with lines
        bool previous_opens_paragraph = false;
        std::uint64_t previous_paragraph = 0;
    };

    Section section_;
    std::uint32_t page_ = 1;
    std::uint64_t sections_ = 0;
    std::uint64_t paragraphs_ = 0;
};

// The walk's side: each top-level body paragraph is begun where its first
// block will go, placed when its fields are read and before its blocks are
// written (most are written then), and ended after them; a NewPage block
// goes before the first block of each page. A document keeps none unless
// every top-level paragraph that writes something has its lines: the
// pages would be guesses.
class PageMarker {
public:
    // A conversion to Markdown alone writes no page: its walk need not read
    // the layout, and no page is counted.
    void skip() { counting_ = false; }
    bool counting() const { return counting_; }

    void begin_section();
    void set_body_height(std::int64_t height) { counter_.set_body_height(height); }

    // The paragraph whose blocks start at `first_block` of the body's list:
    // its layout, to be filled in as its fields are read.
    ParagraphLayout& begin_paragraph(std::size_t first_block);
    bool in_paragraph() const { return open_; }
    ParagraphLayout& paragraph() { return layout_; }
    void place_paragraph(BlockList& blocks);
    void end_paragraph(BlockList& blocks);

    // The layout of what follows is unknown (a section passed over or cut
    // short): a later section's pages could not be counted.
    void lose_layout() { lost_ = true; }

    // The document's blocks, once every section is read: its page marks
    // taken out again if the pages are not all known.
    void finish(BlockList& blocks);

private:
    static constexpr std::size_t NONE = SIZE_MAX;

    void end_section();

    PageCounter counter_;
    ParagraphLayout layout_;
    bool open_ = false;
    bool placed_ = false;
    std::size_t first_block_ = 0;
    std::size_t mark_ = NONE;                  // where the paragraph's page mark stands, if it begins a page
    std::size_t previous_first_block_ = NONE;  // of the last paragraph, if it wrote blocks
    std::uint32_t marked_ = 0;                 // the last page marked
    bool any_marks_ = false;
    // Paragraphs of the section that wrote blocks, and those of them with lines.
    std::size_t written_ = 0;
    std::size_t laid_out_ = 0;
    bool known_ = true;
    bool lost_ = false;
    bool counting_ = true;
};

}  // namespace brindle
