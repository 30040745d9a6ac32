// Counting pages from the saved lines. Within a column region, lines go
// down; a line above the one before it (or at the same top, at the top of
// the region, when the two could not share a page) opens the next column
// of a region of several, else a new page. A new column layout starts
// its region below the last one's lines, on a new page if the first line
// does not fit. A line saved below the body, followed by a new page whose
// first line is not at its top, was pushed there by the layout: it opens
// that page.
#include "model/pages.h"

#include <algorithm>
#include <iterator>
#include <variant>

namespace brindle {
namespace {

// A NewPage block before blocks[at], which stands among the last few: it
// is put at the end and turned into place.
void insert_mark(BlockList& blocks, std::size_t at, std::uint32_t page) {
    blocks.emplace_back(std::in_place_type<NewPage>, NewPage{page});
    std::rotate(blocks.begin() + static_cast<std::ptrdiff_t>(at), blocks.end() - 1, blocks.end());
}

}  // namespace

void PageCounter::begin_section() {
    if (sections_++ > 0) ++page_;
    section_ = Section{};
}

void PageCounter::set_body_height(std::int64_t height) { section_.body = height > 0 ? height : NO_LIMIT; }

PageCounter::Placement PageCounter::place(const ParagraphLayout& paragraph) {
    Section& s = section_;
    const std::uint64_t index = paragraphs_++;
    Placement placed{page_, false};
    const std::uint32_t columns = std::max<std::uint32_t>(paragraph.columns, 1);
    if (paragraph.columns != 0 && paragraph.lines.empty()) s.columns = columns;

    const auto opens_line = [](const LineSegment& line) { return (line.flags & LINE_SEGMENT_OPENS_LINE) != 0; };
    const bool marked =
        !paragraph.lines.empty() && (opens_line(paragraph.lines.front()) ||
                                     std::any_of(paragraph.lines.begin(), paragraph.lines.end(), opens_line));
    bool first = true;
    for (const LineSegment& line : paragraph.lines) {
        if (marked && !opens_line(line)) continue;
        const std::int64_t top = line.top;
        const std::int64_t height = line.height;
        bool new_page = false;
        bool went_up = false;
        if (!s.has_previous) {
            // The section's first line, on the page the section starts.
        } else if (first && paragraph.page_break) {
            new_page = true;
        } else if (first && paragraph.columns != 0) {
            if (s.region_base + s.region_bottom + height > s.body) {
                new_page = true;
            } else {
                s.region_base += s.region_bottom;
                s.region_bottom = 0;
            }
        } else if (first && paragraph.column_break) {
            if (s.column + 1 < s.columns) {
                ++s.column;
            } else {
                new_page = true;
            }
        } else if (top < s.previous_top || (top == s.previous_top && top == s.region_top &&
                                            std::max(s.previous_height, s.previous_objects) + height > s.body)) {
            if (s.column + 1 < s.columns && top >= s.region_top) {
                ++s.column;
            } else {
                new_page = true;
                went_up = true;
            }
        }
        if (!s.has_previous || (first && paragraph.columns != 0)) {
            if (first && paragraph.columns != 0) s.columns = columns;
            s.column = 0;
            s.region_top = top;
        }
        if (new_page) {
            ++page_;
            if (went_up && top > 0 && s.region_base + s.previous_top >= s.body && s.previous_opens_paragraph) {
                if (s.previous_paragraph == index) {
                    placed.page = page_;
                } else if (s.previous_paragraph + 1 == index) {
                    placed.previous_moves = true;
                }
            }
            s.column = 0;
            s.region_top = top;
            s.region_base = 0;
            s.region_bottom = 0;
        }
        s.region_bottom = std::max(s.region_bottom, top + height);
        if (first) placed.page = page_;
        s.has_previous = true;
        s.previous_top = top;
        s.previous_height = height;
        s.previous_opens_paragraph = first;
        s.previous_paragraph = index;
        first = false;
    }
    if (!paragraph.lines.empty()) s.previous_objects = paragraph.tallest_object;
    return placed;
}

void PageMarker::begin_section() {
    if (!counting_) return;
    end_section();
    if (lost_) known_ = false;
    counter_.begin_section();
    previous_first_block_ = NONE;  // a section's list is its own
}

ParagraphLayout& PageMarker::begin_paragraph(std::size_t first_block) {
    layout_.page_break = false;
    layout_.column_break = false;
    layout_.columns = 0;
    layout_.tallest_object = 0;
    layout_.lines.clear();
    first_block_ = first_block;
    open_ = true;
    placed_ = false;
    return layout_;
}

void PageMarker::place_paragraph(BlockList& blocks) {
    if (!open_ || placed_) return;
    placed_ = true;
    const PageCounter::Placement placed = counter_.place(layout_);
    mark_ = NONE;
    if (placed.previous_moves && previous_first_block_ != NONE) {
        if (auto* mark = std::get_if<NewPage>(&blocks[previous_first_block_])) {
            mark->number = placed.page;
        } else {
            insert_mark(blocks, previous_first_block_, placed.page);
            ++first_block_;
        }
        marked_ = placed.page;
        any_marks_ = true;
    }
    if (placed.page > marked_) {
        // Kept if the paragraph writes something after it.
        mark_ = first_block_;
        if (blocks.size() > first_block_) {
            insert_mark(blocks, first_block_, placed.page);  // written before its fields were all read
        } else {
            blocks.emplace_back(std::in_place_type<NewPage>, NewPage{placed.page});
        }
    }
}

void PageMarker::end_paragraph(BlockList& blocks) {
    if (!open_) return;
    place_paragraph(blocks);
    open_ = false;
    const bool wrote = blocks.size() > first_block_ + (mark_ != NONE ? 1 : 0);
    if (mark_ != NONE) {
        if (wrote) {
            marked_ = std::get<NewPage>(blocks[mark_]).number;
            any_marks_ = true;
        } else {
            blocks.pop_back();  // the page begins with a later paragraph's blocks
        }
    }
    written_ += wrote;
    laid_out_ += wrote && !layout_.lines.empty();
    previous_first_block_ = wrote ? first_block_ : NONE;
}

void PageMarker::end_section() {
    // A paragraph without lines that shows nothing takes the page before
    // it. One that shows something was written by a program that lays
    // nothing out: where it and what follows it stand is not known.
    if (laid_out_ < written_) known_ = false;
    written_ = 0;
    laid_out_ = 0;
}

void PageMarker::finish(BlockList& blocks) {
    end_section();
    if (known_ || !any_marks_) return;
    std::erase_if(blocks, [](const ContentBlock& block) { return std::holds_alternative<NewPage>(block); });
    any_marks_ = false;
}

}  // namespace brindle
