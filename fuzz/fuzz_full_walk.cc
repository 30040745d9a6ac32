// The full profile's walk and assembly: a "/DocInfo" stream and a section's
// records from one input ([u32 length]["/DocInfo"][section]), walked with
// numbering, notes, headers, captions, merged cells and pages, then
// assembled with page markers.
#include <algorithm>

#include "brindle/limits.h"
#include "fuzz_support.h"
#include "hwp/doc_info.h"
#include "hwp/walk.h"
#include "model/markdown.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const brindle::Bytes input(data, size);
    const std::size_t split = size < 4 ? 0 : std::min<std::size_t>(brindle::read_u32(input, 0), size - 4);
    const brindle::Bytes doc_info = input.subspan(std::min<std::size_t>(4, size), split);
    const brindle::RecordList records = brindle::parse_records(input.subspan(std::min<std::size_t>(4, size) + split));
    try {
        brindle::WalkContext context(brindle::Profile::Full, brindle::parse_doc_info(doc_info));
        brindle::BlockList blocks;
        brindle::walk_section(records, blocks, context);
        context.pages.finish(blocks);
        std::vector<brindle::PageStart> pages;
        brindle::MarkdownMap map{nullptr, &pages, true};
        const std::string markdown = brindle::assemble_markdown(std::move(blocks), context.take_notes(), &map);
        brindle::fuzz::require_utf8(markdown);
        brindle::fuzz::require_marked_pages(markdown, pages);
    } catch (const brindle::LimitExceeded&) {
    }
    return 0;
}
