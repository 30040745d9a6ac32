// The trace driver over zlib-ng's native API, the one the core inflates with.
#include <zlib-ng.h>

#include "inflate_trace.h"

namespace brindle::fuzz {
namespace {

struct ZlibNg {
    using Stream = zng_stream;
    static int init(Stream* z) { return zng_inflateInit2(z, -MAX_WBITS); }
    static int inflate(Stream* z, int flush) { return zng_inflate(z, flush); }
    static void end(Stream* z) { zng_inflateEnd(z); }
    static constexpr int finish = Z_FINISH, no_flush = Z_NO_FLUSH, ok = Z_OK, buf_error = Z_BUF_ERROR;
};

}  // namespace

InflateTrace trace_zlib_ng(std::span<const std::uint8_t> in, Schedule schedule, std::size_t declared) {
    return run_trace<ZlibNg>(in, schedule, declared);
}

}  // namespace brindle::fuzz
