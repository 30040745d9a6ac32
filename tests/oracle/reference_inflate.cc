// The inflate the project started from, kept unchanged for the benchmark's
// reference floor: zlib called without Z_FINISH, into a zeroed vector that
// starts at 4x the input and doubles.
#include <zlib.h>

#include <algorithm>
#include <climits>
#include <new>

#include "brindle/limits.h"
#include "reference_inflate.h"

namespace brindle::oracle {
namespace {

class InflateStream {
public:
    InflateStream() {
        if (inflateInit2(&stream_, -MAX_WBITS) != Z_OK) throw std::bad_alloc();
    }
    InflateStream(const InflateStream&) = delete;
    InflateStream& operator=(const InflateStream&) = delete;
    ~InflateStream() { inflateEnd(&stream_); }
    z_stream* get() { return &stream_; }

private:
    z_stream stream_{};
};

}  // namespace

Result<std::vector<std::uint8_t>> reference_inflate_raw(Bytes compressed) {
    InflateStream inflater;
    z_stream* z = inflater.get();
    std::vector<std::uint8_t> out;
    // HWP sections typically inflate 3-6x; start there and double.
    out.resize(std::clamp<std::size_t>(compressed.size() * 4, 4096, std::size_t{64} << 20));
    std::size_t produced = 0;
    std::size_t consumed = 0;
    for (;;) {
        if (z->avail_in == 0 && consumed < compressed.size()) {
            const std::size_t chunk = std::min<std::size_t>(compressed.size() - consumed, UINT_MAX);
            z->next_in = const_cast<Bytef*>(compressed.data() + consumed);
            z->avail_in = static_cast<uInt>(chunk);
            consumed += chunk;
        }
        if (produced == out.size()) {
            if (out.size() >= MAX_SECTION_SIZE) {
                throw LimitExceeded("a section inflates to more than " + std::to_string(MAX_SECTION_SIZE >> 20) +
                                    " MiB");
            }
            out.resize(std::min<std::size_t>(out.size() * 2, MAX_SECTION_SIZE));
        }
        const std::size_t room = std::min<std::size_t>(out.size() - produced, UINT_MAX);
        z->next_out = out.data() + produced;
        z->avail_out = static_cast<uInt>(room);
        const int status = inflate(z, Z_NO_FLUSH);
        produced += room - z->avail_out;
        if (status == Z_STREAM_END) break;
        if (status == Z_DATA_ERROR || status == Z_NEED_DICT || status == Z_STREAM_ERROR) {
            return HwpError::parse("압축 해제 실패: corrupt deflate stream");
        }
        if (status == Z_MEM_ERROR) throw std::bad_alloc();
        // Z_BUF_ERROR (or Z_OK) with all input given and output room left:
        // the data ended before the final block; keep what was decoded.
        if (z->avail_in == 0 && consumed == compressed.size() && z->avail_out != 0) break;
    }
    out.resize(produced);
    return out;
}

}  // namespace brindle::oracle
