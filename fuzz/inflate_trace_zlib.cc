// The trace driver over zlib, the reference.
#include <zlib.h>

#include "inflate_trace.h"

namespace brindle::fuzz {
namespace {

struct Zlib {
    using Stream = z_stream;
    static int init(Stream* z) { return inflateInit2(z, -MAX_WBITS); }
    static int inflate(Stream* z, int flush) { return ::inflate(z, flush); }
    static void end(Stream* z) { inflateEnd(z); }
    static constexpr int finish = Z_FINISH, no_flush = Z_NO_FLUSH, ok = Z_OK, buf_error = Z_BUF_ERROR;
};

}  // namespace

InflateTrace trace_zlib(std::span<const std::uint8_t> in, Schedule schedule, std::size_t declared) {
    return run_trace<Zlib>(in, schedule, declared);
}

}  // namespace brindle::fuzz
