// Whole HWPML documents from memory, by both profiles: the decoding, the
// document type, the XML, the translation into OWPML's vocabulary, the
// head's definitions, the walk and, for a parse with pictures, the base64
// binary data.
#include "brindle/byte_source.h"
#include "brindle/convert.h"
#include "brindle/limits.h"
#include "brindle/parse.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brindle;
    const Bytes input(data, size);
    for (const Profile profile : {Profile::Exact, Profile::Full}) {
        try {
            Result<std::string> markdown = convert_hwpml(ByteSource::view(input), profile);
            if (markdown) fuzz::require_utf8(markdown.value());
        } catch (const LimitExceeded&) {
        }
    }
    try {
        ParseOptions options;
        options.image_prefix = "img/";
        Result<ParsedDocument> parsed = parse_hwpml(ByteSource::view(input), Profile::Full, options);
        if (parsed) fuzz::require_utf8(parsed.value().markdown);
    } catch (const LimitExceeded&) {
    }
    return 0;
}
