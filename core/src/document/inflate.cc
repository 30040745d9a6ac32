// Raw DEFLATE (RFC 1951, no zlib header or checksum) over a whole buffer,
// with zlib-ng, whose inflate keeps zlib's state machine and checks and so
// gives zlib's verdicts (fuzz/fuzz_inflate_differential holds it to them),
// in about two thirds of zlib's time. Faster decoders exist, but the ones
// tried accept streams that zlib rejects (libdeflate decodes the reserved
// length symbols 286 and 287 and distance symbols 30 and 31, and more than
// 286/30 code lengths), so their answers on damaged data would not be zlib's; no
// cheap check tells those streams apart without decoding them again. The
// full profile, which has no older answers to keep, inflates with
// libdeflate where it can finish a stream and with zlib-ng where it cannot.
#include <zlib-ng.h>
#ifdef BRINDLE_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif

#include <algorithm>
#include <climits>
#include <memory>
#include <new>

#include "brindle/limits.h"
#include "document/inflate.h"

namespace brindle {
namespace {

class InflateStream {
public:
    InflateStream() {
        if (zng_inflateInit2(&stream_, -MAX_WBITS) != Z_OK) throw std::bad_alloc();
    }
    InflateStream(const InflateStream&) = delete;
    InflateStream& operator=(const InflateStream&) = delete;
    ~InflateStream() { zng_inflateEnd(&stream_); }
    zng_stream* get() { return &stream_; }

private:
    zng_stream stream_{};
};

// Give the inflater the next stretch of the input when it has used what it
// had (it takes at most UINT_MAX bytes at once).
void feed(zng_stream* z, Bytes compressed, std::size_t& consumed) {
    if (z->avail_in != 0 || consumed >= compressed.size()) return;
    const std::size_t chunk = std::min<std::size_t>(compressed.size() - consumed, UINT_MAX);
    z->next_in = compressed.data() + consumed;
    z->avail_in = static_cast<std::uint32_t>(chunk);
    consumed += chunk;
}

#ifdef BRINDLE_HAVE_LIBDEFLATE
struct DecompressorFree {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};
#endif

}  // namespace

#ifdef BRINDLE_HAVE_LIBDEFLATE
// A libdeflate decompressor, made for the first stream an inflater meets:
// making one costs as much as inflating a small stream (its tables are
// zeroed whole), and is paid once for all the streams of one document or
// archive.
struct LibdeflateDecoder {
    std::unique_ptr<libdeflate_decompressor, DecompressorFree> decompressor{libdeflate_alloc_decompressor()};
};
#else
struct LibdeflateDecoder {};
#endif

struct FastInflater::Decoder : LibdeflateDecoder {};
struct ExactInflater::Decoder : LibdeflateDecoder {};

Result<ByteBuffer> inflate_raw_fast(Bytes compressed) { return FastInflater().inflate(compressed); }

FastInflater::FastInflater() = default;
FastInflater::FastInflater(FastInflater&&) noexcept = default;
FastInflater& FastInflater::operator=(FastInflater&&) noexcept = default;
FastInflater::~FastInflater() = default;

Result<ByteBuffer> FastInflater::inflate(Bytes compressed) {
#ifdef BRINDLE_HAVE_LIBDEFLATE
    // libdeflate decodes into a buffer of fixed size: room for what nearly
    // every stream inflates to (8x; a few sections in a thousand need more).
    // A stream that needs more, or that libdeflate cannot finish (cut short,
    // damaged), is left to zlib-ng, which grows its output up to the section
    // bound and keeps what it can decode: a second, larger try would decode
    // a deflate bomb once more before zlib-ng refuses it.
    if (!decoder_) decoder_ = std::make_unique<Decoder>();
    if (!decoder_->decompressor) throw std::bad_alloc();
    ByteBuffer out(std::clamp<std::size_t>(compressed.size() * 8, 4096, MAX_SECTION_SIZE));
    std::size_t used = 0, produced = 0;
    if (libdeflate_deflate_decompress_ex(decoder_->decompressor.get(), compressed.data(), compressed.size(), out.data(),
                                         out.size(), &used, &produced) == LIBDEFLATE_SUCCESS) {
        out.resize(produced);
        return out;
    }
#endif
    return inflate_raw(compressed);
}

ExactInflater::ExactInflater() = default;
ExactInflater::ExactInflater(ExactInflater&&) noexcept = default;
ExactInflater& ExactInflater::operator=(ExactInflater&&) noexcept = default;
ExactInflater::~ExactInflater() = default;

Result<ByteBuffer> inflate_exact(Bytes compressed, std::size_t size) {
    return ExactInflater().inflate(compressed, size);
}

Result<ByteBuffer> ExactInflater::inflate(Bytes compressed, std::size_t size) {
    ByteBuffer out(size);
    const auto refused = [] { return HwpError::parse("corrupt deflate stream"); };
#ifdef BRINDLE_HAVE_LIBDEFLATE
    if (!decoder_) decoder_ = std::make_unique<Decoder>();
    if (!decoder_->decompressor) throw std::bad_alloc();
    std::size_t used = 0;
    // Without an actual-size pointer libdeflate succeeds only when the
    // stream fills the buffer exactly.
    if (libdeflate_deflate_decompress_ex(decoder_->decompressor.get(), compressed.data(), compressed.size(), out.data(),
                                         size, &used, nullptr) != LIBDEFLATE_SUCCESS) {
        return refused();
    }
    return out;
#else
    InflateStream inflater;
    zng_stream* z = inflater.get();
    std::size_t consumed = 0, produced = 0;
    for (;;) {
        feed(z, compressed, consumed);
        // One spare byte past the declared size tells a stream that runs on.
        std::uint8_t spare = 0;
        const std::size_t room = std::min<std::size_t>(size - produced, UINT_MAX);
        z->next_out = room > 0 ? out.data() + produced : &spare;
        z->avail_out = room > 0 ? static_cast<std::uint32_t>(room) : 1;
        const int status = zng_inflate(z, Z_FINISH);
        if (room == 0 && z->avail_out == 0) return refused();  // more than declared
        produced += room - (room > 0 ? z->avail_out : 0);
        if (status == Z_STREAM_END) return produced == size ? Result<ByteBuffer>(std::move(out)) : refused();
        if (status == Z_MEM_ERROR) throw std::bad_alloc();
        if (status != Z_OK && status != Z_BUF_ERROR) return refused();
        if (z->avail_in == 0 && consumed == compressed.size() && (room == 0 || z->avail_out != 0)) return refused();
    }
#endif
}

std::uint32_t crc32_of(Bytes bytes) {
#ifdef BRINDLE_HAVE_LIBDEFLATE
    return libdeflate_crc32(0, bytes.data(), bytes.size());
#else
    return zng_crc32_z(0, bytes.data(), bytes.size());
#endif
}

Result<ByteBuffer> inflate_raw(Bytes compressed) {
    InflateStream inflater;
    zng_stream* z = inflater.get();
    ByteBuffer out;
    // HWP sections typically inflate 3-8x: start where most of them fit,
    // then double.
    out.resize(std::clamp<std::size_t>(compressed.size() * 8, 4096, std::size_t{64} << 20));
    std::size_t produced = 0;
    std::size_t consumed = 0;
    for (;;) {
        feed(z, compressed, consumed);
        if (produced == out.size()) {
            if (out.size() >= MAX_SECTION_SIZE) {
                throw LimitExceeded("a section inflates to more than " + std::to_string(MAX_SECTION_SIZE >> 20) +
                                    " MiB");
            }
            out.resize(std::min<std::size_t>(out.size() * 2, MAX_SECTION_SIZE));
        }
        const std::size_t room = std::min<std::size_t>(out.size() - produced, UINT_MAX);
        z->next_out = out.data() + produced;
        z->avail_out = static_cast<std::uint32_t>(room);
        // Z_FINISH: the whole input is here, so the inflater decodes
        // straight into the output.
        const int status = zng_inflate(z, Z_FINISH);
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
