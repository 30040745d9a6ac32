// Record cutting over arbitrary bytes, and skipping every subtree.
#include "hwp/record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const brindle::RecordList records = brindle::parse_records({data, size});
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (brindle::skip_subtree(records, i + 1, records[i].level) > records.size()) __builtin_trap();
    }
    return 0;
}
