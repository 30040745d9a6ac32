// Click-here header and name parsing over arbitrary payloads.
#include "fuzz_support.h"
#include "hwp/click_here.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const brindle::Bytes bytes{data, size};
    if (auto header = brindle::parse_click_here_header(bytes)) brindle::fuzz::require_utf8(header->direction);
    brindle::fuzz::require_utf8(brindle::read_field_name(bytes));
    return 0;
}
