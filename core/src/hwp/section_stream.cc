// Body sections: "/BodyText/Section{n}", read whole and inflated when the
// document is compressed.
#include "document/inflate.h"
#include "hwp/section_stream.h"

namespace brindle {

std::string section_stream_path(std::int32_t n) { return "/BodyText/Section" + std::to_string(n); }

Result<ByteBuffer> read_section_stream(CompoundFile& file, std::string_view path, bool compressed, bool fast) {
    Result<ByteBuffer> stored = file.read_stream(path);
    if (!stored || !compressed) return stored;
    // The stored bytes are released when `stored` goes out of scope, right
    // after inflating.
    return fast ? inflate_raw_fast(stored.value()) : inflate_raw(stored.value());
}

Result<ByteBuffer> read_section_stream(CompoundFile& file, std::string_view path, bool compressed,
                                       FastInflater& inflater) {
    Result<ByteBuffer> stored = file.read_stream(path);
    if (!stored || !compressed) return stored;
    return inflater.inflate(stored.value());
}

}  // namespace brindle
