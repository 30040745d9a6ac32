// The whole path from a compound file's bytes, read from memory:
// container, header, section streams, inflate, walk and assembly.
#include <string>

#include "brindle/convert.h"
#include "brindle/limits.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const brindle::Bytes bytes(data, size);
    try {
        brindle::Result<std::string> markdown = brindle::convert_document(brindle::ByteSource::view(bytes));
        if (markdown.ok()) brindle::fuzz::require_utf8(markdown.value());
        brindle::Result<std::vector<brindle::RecordInfo>> listing =
            brindle::list_section_records(brindle::ByteSource::view(bytes));
        (void)listing.ok();
    } catch (const brindle::LimitExceeded&) {
    }
    return 0;
}
