// Whole documents from memory by the full profile: container, header,
// DocInfo, sections inflated with libdeflate (zlib where it cannot finish),
// the full walk and assembly.
#include <string>

#include "brindle/convert.h"
#include "brindle/limits.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        brindle::Result<std::string> markdown =
            brindle::convert_document(brindle::ByteSource::view({data, size}), brindle::Profile::Full);
        if (markdown.ok()) brindle::fuzz::require_utf8(markdown.value());
    } catch (const brindle::LimitExceeded&) {
    }
    return 0;
}
