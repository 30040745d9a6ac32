// Table parsing and rendering over the records cut from arbitrary bytes.
#include "brindle/limits.h"
#include "fuzz_support.h"
#include "hwp/format.h"
#include "hwp/record.h"
#include "hwp/table.h"
#include "model/table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const brindle::RecordList records = brindle::parse_records({data, size});
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].tag_id != brindle::HWPTAG_CTRL_HEADER) continue;
        try {
            brindle::TableParse parsed = brindle::parse_table(records, i + 1, records[i].level, 0);
            if (i + 1 + parsed.consumed > records.size()) __builtin_trap();
            if (parsed.table) {
                std::string out;
                brindle::render_table(out, *parsed.table);
                brindle::fuzz::require_utf8(out);
            }
        } catch (const brindle::LimitExceeded&) {
        }
    }
    return 0;
}
