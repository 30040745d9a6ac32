// The definitions of "/DocInfo" and the paragraph numbers drawn from them:
// any bytes as a "/DocInfo" stream, then every paragraph shape numbered
// under a few outline numberings, and numbers of every shape written; all
// must be well-formed UTF-8.
#include <string>

#include "fuzz_support.h"
#include "hwp/doc_info.h"
#include "model/numbering.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const brindle::Bytes input(data, size);
    const brindle::Definitions info = brindle::parse_doc_info(input);
    brindle::ParagraphNumbering numbering(info);
    // Shapes past the table (and styles) too; each twice, so counters advance.
    const std::size_t shapes = std::min<std::size_t>(info.paragraph_shapes.size() + 2, 512);
    for (int round = 0; round < 2; ++round) {
        for (std::size_t shape = 0; shape < shapes; ++shape) {
            const auto outline = static_cast<std::uint16_t>(shape % (info.numberings.size() + 2));
            const brindle::ParagraphHead head =
                numbering.head(static_cast<std::uint16_t>(shape), static_cast<std::uint8_t>(shape), outline);
            brindle::fuzz::require_utf8(head.number);
        }
    }
    for (std::size_t i = 0; i + 5 <= size && i < 4096; i += 5) {
        std::string out;
        brindle::append_number(out, brindle::read_u32(input, i), data[i + 4]);
        brindle::fuzz::require_utf8(out);
    }
    return 0;
}
