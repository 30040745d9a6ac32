// Raw DEFLATE (RFC 1951, no zlib header or checksum) over a whole buffer.
// libdeflate decodes a complete stream about twice as fast as zlib, but
// only whole: it cannot say what a stream that ends early held, and its
// errors are not zlib's. So it decodes first, and anything it does not
// decode completely is decoded again by zlib, which decides.
#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <climits>
#include <new>

#include "brindle/document.h"
#include "brindle/limits.h"

namespace brindle {
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

class Decompressor {
public:
    Decompressor() : d_(libdeflate_alloc_decompressor()) {
        if (d_ == nullptr) throw std::bad_alloc();
    }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
    ~Decompressor() { libdeflate_free_decompressor(d_); }
    libdeflate_decompressor* get() { return d_; }

private:
    libdeflate_decompressor* d_;
};

// HWP sections typically inflate 3-6x: a first guess that holds most of
// them, grown fourfold when short.
std::size_t first_guess(std::size_t compressed) {
    return std::clamp<std::size_t>(compressed * 8, 4096, MAX_SECTION_SIZE);
}

}  // namespace

Result<ByteBuffer> inflate_raw(Bytes compressed) {
    if (compressed.empty()) return ByteBuffer{};
    Decompressor decompressor;
    ByteBuffer out(first_guess(compressed.size()));
    for (;;) {
        std::size_t produced = 0;
        const libdeflate_result result = libdeflate_deflate_decompress(
            decompressor.get(), compressed.data(), compressed.size(), out.data(), out.size(), &produced);
        // A stream of exactly the bound is left to zlib, which decides
        // whether that is within it.
        if (result == LIBDEFLATE_SUCCESS && produced < MAX_SECTION_SIZE) {
            out.resize(produced);
            return out;
        }
        if (result != LIBDEFLATE_INSUFFICIENT_SPACE || out.size() >= MAX_SECTION_SIZE) break;
        out.resize(std::min<std::size_t>(out.size() * 4, MAX_SECTION_SIZE));
    }
    out = ByteBuffer();  // give the space back before zlib takes its own
    return inflate_raw_zlib(compressed);
}

Result<ByteBuffer> inflate_raw_zlib(Bytes compressed) {
    InflateStream inflater;
    z_stream* z = inflater.get();
    ByteBuffer out;
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

}  // namespace brindle
