// Paragraph heads: looking a paragraph's shape up, advancing the counters of
// its numbering, and writing its number from the level's format.
#include "model/numbering.h"

#include <algorithm>
#include <limits>

namespace brindle {
namespace {

// A 1-based id into a table, or nothing.
template <class T>
const T* by_id(const std::vector<T>& table, std::uint16_t id) {
    return id >= 1 && id <= table.size() ? &table[id - 1] : nullptr;
}

}  // namespace

std::string ParagraphNumbering::number(const Numbering& numbering, Counters& counters, std::size_t level) {
    // The first paragraph of a level takes its start number; every later one
    // the next number; and the levels below start over.
    std::uint32_t& counter = counters[level];
    counter =
        counter == 0 ? numbering.starts[level] : std::min(counter, std::numeric_limits<std::uint32_t>::max() - 1) + 1;
    std::fill(counters.begin() + static_cast<std::ptrdiff_t>(level) + 1, counters.end(), 0);

    const std::string_view format = numbering.format(level);
    std::string out;
    out.reserve(format.size() + 8);
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c == '^' && i + 1 < format.size() && format[i + 1] >= '1' && format[i + 1] <= '7') {
            const std::size_t ref = static_cast<std::size_t>(format[i + 1] - '1');
            // A level above that has not been numbered yet shows its start.
            const std::uint32_t value = counters[ref] != 0 ? counters[ref] : numbering.starts[ref];
            append_number(out, value, numbering.shapes[ref]);
            ++i;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

ParagraphHead ParagraphNumbering::head_of(const ParagraphShape& shape, std::uint16_t outline_numbering) {
    ParagraphHead head;
    head.kind = shape.head;
    head.level = shape.level;

    if (shape.head == HeadKind::Bullet) {
        if (const char32_t* bullet = by_id(definitions_->bullets, shape.numbering)) head.bullet = *bullet;
        return head;
    }
    const std::uint16_t id = shape.head == HeadKind::Outline ? outline_numbering : shape.numbering;
    const Numbering* numbering = by_id(definitions_->numberings, id);
    if (numbering == nullptr) return head;
    std::vector<Counters>& table = shape.head == HeadKind::Outline ? outline_ : numbered_;
    if (table.empty()) table.resize(definitions_->numberings.size(), Counters{});
    head.number = number(*numbering, table[id - 1], shape.level);
    return head;
}

}  // namespace brindle
