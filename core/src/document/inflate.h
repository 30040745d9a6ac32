// Raw DEFLATE (no zlib header) as the containers store it: a whole HWP
// section or stream, and a ZIP entry of a declared size; and the CRC-32
// that ZIP entries are checked with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "brindle/bytes.h"
#include "brindle/result.h"

namespace brindle {

// Raw DEFLATE to bytes. Input that ends early yields what was decoded so
// far; malformed data is a Parse error.
Result<ByteBuffer> inflate_raw(Bytes compressed);

// The same through libdeflate where it can finish the stream (with zlib for
// the rest), for the full profile: about twice as fast, and identical on
// every stream zlib accepts whole. It also decodes streams zlib rejects
// (reserved symbols), so the exact profile, which gives zlib's answers on
// damaged data, never uses it.
Result<ByteBuffer> inflate_raw_fast(Bytes compressed);

// inflate_raw_fast by a decoder kept for the streams of one document: its
// setup costs as much as inflating a small section, and is paid once.
class FastInflater {
public:
    FastInflater();
    FastInflater(FastInflater&&) noexcept;
    FastInflater& operator=(FastInflater&&) noexcept;
    ~FastInflater();

    Result<ByteBuffer> inflate(Bytes compressed);

private:
    struct Decoder;
    std::unique_ptr<Decoder> decoder_;  // made for the first stream
};

// Raw DEFLATE that must inflate to exactly `size` bytes and end there, as a
// ZIP entry declares: anything else is a Parse error. The output is never
// larger than `size`, so a bomb cannot grow it.
Result<ByteBuffer> inflate_exact(Bytes compressed, std::size_t size);

// inflate_exact by a decoder kept for the entries of one archive: its setup
// costs as much as inflating a small part, and is paid once.
class ExactInflater {
public:
    ExactInflater();
    ExactInflater(ExactInflater&&) noexcept;
    ExactInflater& operator=(ExactInflater&&) noexcept;
    ~ExactInflater();

    Result<ByteBuffer> inflate(Bytes compressed, std::size_t size);

private:
    struct Decoder;
    std::unique_ptr<Decoder> decoder_;  // made for the first stream
};

// The CRC-32 (ISO 3309, as ZIP uses it) of `bytes`.
std::uint32_t crc32_of(Bytes bytes);

}  // namespace brindle
