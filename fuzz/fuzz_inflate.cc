// Raw inflate over arbitrary bytes: a value or a Parse error, never a crash.
#include "brindle/limits.h"
#include "document/inflate.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        brindle::Result<brindle::ByteBuffer> out = brindle::inflate_raw({data, size});
        if (!out.ok() && out.error().kind() != brindle::HwpError::Kind::Parse) __builtin_trap();
    } catch (const brindle::LimitExceeded&) {
    }
    return 0;
}
