// Whole documents of either format from memory, by both profiles, through
// the entry that tells them apart: for HWPX packages, the ZIP reader, the
// manifest, the header and every section.
#include "brindle/byte_source.h"
#include "brindle/convert.h"
#include "brindle/limits.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (const brindle::Profile profile : {brindle::Profile::Exact, brindle::Profile::Full}) {
        try {
            brindle::Result<std::string> markdown =
                brindle::convert_any(brindle::ByteSource::view(brindle::Bytes(data, size)), profile);
            if (markdown) brindle::fuzz::require_utf8(markdown.value());
        } catch (const brindle::LimitExceeded&) {
        }
    }
    return 0;
}
