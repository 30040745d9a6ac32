// The OWPML walk and assembly: a header part and a section part from one
// input ([u32 length][header.xml][section.xml]), parsed and walked by both
// profiles, then assembled with page markers.
#include <algorithm>

#include "brindle/limits.h"
#include "fuzz_support.h"
#include "hwpx/header.h"
#include "model/markdown.h"
#include "owpml/walk.h"
#include "owpml/xml.h"

namespace {

brindle::ByteBuffer copy(brindle::Bytes bytes) { return brindle::ByteBuffer(bytes.begin(), bytes.end()); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brindle;
    const Bytes input(data, size);
    const std::size_t start = std::min<std::size_t>(4, size);
    const std::size_t split = size < 4 ? 0 : std::min<std::size_t>(read_u32(input, 0), size - 4);
    for (const Profile profile : {Profile::Exact, Profile::Full}) {
        try {
            Definitions info = hwpx::read_header(copy(input.subspan(start, split)), "header");
            auto section = owpml::XmlPart::parse(copy(input.subspan(start + split)), "section");
            if (!section) continue;
            WalkContext context(profile, std::move(info));
            BlockList blocks;
            owpml::walk_list(section.value()->root(), owpml::ListWalk{false, true, TextContext::Body, blocks, context});
            context.pages.finish(blocks);
            std::vector<PageStart> pages;
            MarkdownMap map{nullptr, &pages, true};
            const std::string markdown = assemble_markdown(std::move(blocks), context.take_notes(), &map);
            fuzz::require_utf8(markdown);
            fuzz::require_marked_pages(markdown, pages);
        } catch (const LimitExceeded&) {
        }
    }
    return 0;
}
