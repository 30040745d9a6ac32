// The section walk and Markdown assembly over records cut from arbitrary
// bytes.
#include "brindle/limits.h"
#include "fuzz_support.h"
#include "hwp/record.h"
#include "hwp/walk.h"
#include "model/markdown.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const brindle::RecordList records = brindle::parse_records({data, size});
    try {
        brindle::BlockList blocks;
        brindle::walk_section(records, blocks);
        brindle::fuzz::require_utf8(brindle::assemble_markdown(std::move(blocks)));
    } catch (const brindle::LimitExceeded&) {
    }
    return 0;
}
