// The header part's prefilter: the definitions nothing reads from the parsed
// tree are taken out of its bytes before it is parsed, since a tree of them
// would cost most of the part's parse. Each is a whole element found by its
// tags, so a well-formed part stays well-formed.
#include "hwpx/header_prefilter.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "hwpx/markup_search.h"

namespace brindle::hwpx {
namespace {

// The lists of refList that the tree need not hold (those the walk reads
// are read from the text), and the paragraph properties, of which only
// some alternatives are cut.
constexpr std::array<std::string_view, 4> UNREAD_LISTS = {"fontfaces", "borderFills", "charProperties",
                                                          "tabProperties"};
constexpr std::string_view PARAGRAPH_PROPERTIES = "paraProperties";
constexpr std::string_view ALTERNATIVES = "switch";

// A name whose first start tag is sought, and where the needle stands in it.
struct Sought {
    std::string_view local;
    std::size_t needle_at;
    StartTag tag;
};

// The first start tag of each name of `sought`, which all hold `needle`
// (found by its byte at `anchor`), from one pass over the needle's
// occurrences. A pass for several names, rather than a search of the part
// from its start for each, crosses the lists before them once.
void find_start_tags(std::string_view text, std::string_view needle, std::size_t anchor, std::span<Sought> sought) {
    std::size_t pending = sought.size();
    for (std::size_t start = find_by(text, needle, anchor, 0); start != std::string_view::npos && pending > 0;
         start = find_by(text, needle, anchor, start + 1)) {
        for (Sought& s : sought) {
            if (s.tag.lt != std::string_view::npos || start < s.needle_at) continue;
            const std::size_t local = start - s.needle_at;
            if (text.compare(local, s.local.size(), s.local) != 0) continue;
            s.tag = start_tag_at(text, local, s.local.size());
            if (s.tag.lt != std::string_view::npos) --pending;
        }
    }
}

// The span of the element whose start tag is `tag`, start tag to end tag,
// when its end tag is found and (with `nested_check`) no element of its name
// stands inside it. Empty otherwise. Both are found by the name's byte
// `from_end` bytes before its end, as find_by finds them.
std::string_view element_span(std::string_view text, StartTag tag, std::size_t from_end, bool nested_check = true) {
    const std::string_view qualified = text.substr(tag.lt + 1, tag.name_end - tag.lt - 1);
    const std::string close = "</" + std::string(qualified) + ">";
    const std::size_t end = find_by(text, close, 2 + qualified.size() - from_end, tag.name_end);
    if (end == std::string_view::npos) return {};
    const std::string_view element = text.substr(tag.lt, end + close.size() - tag.lt);
    if (nested_check &&
        find_by(element, "<" + std::string(qualified), 1 + qualified.size() - from_end, 1) != std::string_view::npos) {
        return {};
    }
    return element;
}

}  // namespace

void take_out(ByteBuffer& bytes, HeaderCuts& cuts) {
    std::vector<std::string_view>& spans = cuts.spans;
    if (spans.empty()) return;
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::sort(spans.begin(), spans.end(), [](std::string_view a, std::string_view b) { return a.data() < b.data(); });
    std::size_t out = 0, in = 0;
    for (const std::string_view span : spans) {
        const std::size_t at = static_cast<std::size_t>(span.data() - text.data());
        if (at < in) continue;  // inside one already taken out
        std::memmove(bytes.data() + out, bytes.data() + in, at - in);
        out += at - in;
        in = at + span.size();
    }
    std::memmove(bytes.data() + out, bytes.data() + in, bytes.size() - in);
    bytes.resize(out + bytes.size() - in);
    cuts = {};
}

HeaderCuts find_unread_definitions(std::string_view text) {
    HeaderCuts cuts;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    if (text.size() < 2 || bytes[0] == 0 || bytes[1] == 0 || bytes[0] == 0xFF || bytes[0] == 0xFE) return cuts;
    // Markup that could hide an element's end (a comment, CDATA; "<!" opens
    // nothing else a part may hold): such a part is parsed whole.
    for (const char* bang = text.data();
         (bang = static_cast<const char*>(
              std::memchr(bang, '!', text.size() - static_cast<std::size_t>(bang - text.data()))));
         ++bang) {
        if (bang > text.data() && bang[-1] == '<') return cuts;  // "!" is rare in markup: found by memchr
        if (bang + 1 == text.data() + text.size()) break;
    }
    // Three of the names end in "Properties": one pass finds their start tags.
    Sought fonts[] = {{UNREAD_LISTS[0], 0, {}}};
    Sought borders[] = {{UNREAD_LISTS[1], 0, {}}};
    Sought named_properties[] = {{UNREAD_LISTS[2], 4, {}}, {UNREAD_LISTS[3], 3, {}}, {PARAGRAPH_PROPERTIES, 4, {}}};
    find_start_tags(text, UNREAD_LISTS[0], 8, fonts);    // "s"
    find_start_tags(text, UNREAD_LISTS[1], 6, borders);  // "F"
    find_start_tags(text, "Properties", 0, named_properties);
    std::vector<std::string_view>& spans = cuts.spans;
    // These lists never hold one another: the first end tag of the name,
    // found by a rare byte of it too ("c", "F", "P"), closes the list.
    constexpr std::size_t FROM_END[] = {3, 5, 10, 10};
    const StartTag tags[] = {fonts[0].tag, borders[0].tag, named_properties[0].tag, named_properties[1].tag};
    for (std::size_t k = 0; k < std::size(tags); ++k) {
        if (tags[k].lt == std::string_view::npos) continue;
        const std::string_view span = element_span(text, tags[k], FROM_END[k], false);
        if (span.empty()) continue;
        spans.push_back(span);
        if (k == 0) cuts.fonts = span;
        if (k == 1) cuts.border_fills = span;
        if (k == 2) cuts.character_shapes = span;
    }
    // Paragraph properties keep their margins and spacing in alternatives
    // (hp:switch), most of their bytes; the heading the walk reads stands
    // outside them, and an alternative that holds one is kept.
    const StartTag properties = named_properties[2].tag;
    const std::string_view list =
        properties.lt == std::string_view::npos ? std::string_view() : element_span(text, properties, 10);
    // An alternative is a tag whose local name (after its last colon) is
    // "switch", found by the name's "w": a few per paragraph property.
    const auto in_name = [](char c) { return is_name_char(c) || c == ':'; };
    constexpr std::size_t ANCHOR = 1;  // "w"
    std::size_t floor = 0;             // past the last alternative taken
    for (std::size_t at = find_by(list, ALTERNATIVES, ANCHOR, 0); at != std::string_view::npos;
         at = find_by(list, ALTERNATIVES, ANCHOR, std::max(at + 1, floor))) {
        const std::size_t end = at + ALTERNATIVES.size();
        std::size_t name = at;
        while (name > floor && in_name(list[name - 1])) --name;
        if (name == floor || list[name - 1] != '<' || (name != at && list[at - 1] != ':') ||
            (end < list.size() && in_name(list[end]))) {
            continue;
        }
        const std::string_view qualified = list.substr(name, end - name);
        const std::size_t prefix = qualified.size() - ALTERNATIVES.size();
        const std::string close = "</" + std::string(qualified) + ">";
        // Near: an alternative is a few hundred bytes.
        const std::size_t close_at = find_by(list, close, 2 + prefix + ANCHOR, end);
        if (close_at == std::string_view::npos) break;
        const std::string_view span = list.substr(name - 1, close_at + close.size() - (name - 1));
        constexpr std::string_view HEADING = "heading";
        if (find_by(span, HEADING, 6, 0) == std::string_view::npos &&  // "g"
            find_by(span, "<" + std::string(qualified), 1 + prefix + ANCHOR, 1) == std::string_view::npos) {
            spans.push_back(span);
        }
        floor = close_at + close.size();
    }
    return cuts;
}

void skip_unread_definitions(ByteBuffer& header) {
    HeaderCuts cuts =
        find_unread_definitions(std::string_view(reinterpret_cast<const char*>(header.data()), header.size()));
    take_out(header, cuts);
}

}  // namespace brindle::hwpx
