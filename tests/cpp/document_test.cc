// Header validation and raw inflate, over bytes built here.
#include <gtest/gtest.h>
#include <zlib-ng.h>

#include <string>

#include "document/compound_file.h"
#include "document/directory.h"
#include "document/inflate.h"
#include "hwp/file_header.h"
#include "hwp/section_stream.h"
#include "test_support.h"

namespace brindle {
namespace {

ByteBuffer header_bytes(std::string_view prefix, std::size_t size, std::uint32_t properties = 0) {
    ByteBuffer bytes(size, 0);
    std::copy(prefix.begin(), prefix.begin() + std::min(prefix.size(), size), bytes.begin());
    if (size >= 40) {
        for (int i = 0; i < 4; ++i) bytes[36 + i] = static_cast<std::uint8_t>(properties >> (8 * i));
    }
    return bytes;
}

std::string message_of(const Result<FileProperties>& result) {
    return result.ok() ? "ok" : const_cast<Result<FileProperties>&>(result).error().message();
}

TEST(FileHeader, SignatureIsCheckedBeforeLength) {
    EXPECT_EQ(message_of(parse_file_header(header_bytes("HWP Document Fil", 16))), "Invalid HWP signature");
    EXPECT_EQ(message_of(parse_file_header(header_bytes("hwp document file", 256))), "Invalid HWP signature");
    EXPECT_EQ(message_of(parse_file_header(header_bytes("", 0))), "Invalid HWP signature");
    for (std::size_t size : {17u, 39u}) {
        EXPECT_EQ(message_of(parse_file_header(header_bytes("HWP Document File", size))),
                  "Parse error: FileHeader too short");
    }
}

TEST(FileHeader, PropertiesBits) {
    const auto compressed = [](std::uint32_t properties) {
        return parse_file_header(header_bytes("HWP Document File", 40, properties));
    };
    EXPECT_EQ(message_of(compressed(0x2)), "Password-protected HWP files are not supported");
    EXPECT_EQ(message_of(compressed(0x3)), "Password-protected HWP files are not supported");
    EXPECT_TRUE(compressed(0x1).value().compressed);
    EXPECT_FALSE(compressed(0x0).value().compressed);
    EXPECT_FALSE(compressed(0x4).value().compressed);
    // Bit 2: saved for distribution, whatever the compression says.
    EXPECT_TRUE(compressed(0x4).value().distribution);
    EXPECT_TRUE(compressed(0x5).value().distribution);
    EXPECT_FALSE(compressed(0x1).value().distribution);
    // No NUL padding after the signature is needed.
    EXPECT_TRUE(parse_file_header(header_bytes("HWP Document FileXXXXXXXXXXXXXXX", 256, 1)).value().compressed);
}

// Deflated by the zlib-ng built with the core (its zng_ names), so that the
// tests need no zlib of the system's, on any platform.
ByteBuffer deflate_raw(const ByteBuffer& data) {
    zng_stream z{};
    EXPECT_EQ(zng_deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY), Z_OK);
    ByteBuffer out(zng_deflateBound(&z, data.size()));
    z.next_in = data.data();
    z.avail_in = static_cast<std::uint32_t>(data.size());
    z.next_out = out.data();
    z.avail_out = static_cast<std::uint32_t>(out.size());
    EXPECT_EQ(zng_deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    zng_deflateEnd(&z);
    return out;
}

ByteBuffer sample_data(std::size_t size) {
    ByteBuffer data(size);
    std::uint32_t x = 12345;
    for (auto& b : data) {
        x = x * 1103515245 + 12345;
        b = static_cast<std::uint8_t>((x >> 16) % 7 + 'a');  // compressible, not trivial
    }
    return data;
}

TEST(DirectoryKey, NamesCompareUpperCasedByUnit) {
    // ASCII a byte at a time, the rest by character: Latin-1 and Cyrillic
    // letters upper-cased, a character beyond 16 bits as its surrogates,
    // digits and punctuation as they stand.
    EXPECT_EQ(cfb::key_of("BodyText/section0.x_1"), std::optional<cfb::NameKey>(u"BODYTEXT/SECTION0.X_1"));
    EXPECT_EQ(cfb::key_of("caf\u00e9 \u0434\u043e\u043a"),
              std::optional<cfb::NameKey>(u"CAF\u00c9 \u0414\u041e\u041a"));
    EXPECT_EQ(cfb::key_of("a\U0001F600b"), std::optional<cfb::NameKey>(u"A\U0001F600B"));
    EXPECT_EQ(cfb::key_of(""), std::optional<cfb::NameKey>(u""));
    // Not UTF-8: no key, wherever the bad byte stands.
    EXPECT_EQ(cfb::key_of("ab\xC3"), std::nullopt);
    // clang-format off
    EXPECT_EQ(cfb::key_of("\xFF" "ab"), std::nullopt);
    // clang-format on
}

TEST(InflateRaw, RoundTripsAndIgnoresTrailingBytes) {
    const ByteBuffer data = sample_data(1 << 20);  // several output growths
    ByteBuffer compressed = deflate_raw(data);
    EXPECT_EQ(inflate_raw(compressed).value(), data);
    compressed.insert(compressed.end(), {1, 2, 3, 4, 5});
    EXPECT_EQ(inflate_raw(compressed).value(), data);
    EXPECT_TRUE(inflate_raw(ByteBuffer{}).value().empty());
}

TEST(InflateRaw, InputCutShortYieldsThePrefixDecoded) {
    const ByteBuffer data = sample_data(200000);
    const ByteBuffer compressed = deflate_raw(data);
    const ByteBuffer cut(compressed.begin(), compressed.begin() + compressed.size() / 2);
    const ByteBuffer partial = inflate_raw(cut).value();
    ASSERT_LT(partial.size(), data.size());
    EXPECT_TRUE(std::equal(partial.begin(), partial.end(), data.begin()));
}

TEST(InflateRaw, MalformedDataIsAParseError) {
    // BFINAL=1, BTYPE=11 (reserved).
    Result<ByteBuffer> reserved = inflate_raw(ByteBuffer{0x07, 0x00});
    ASSERT_FALSE(reserved.ok());
    EXPECT_EQ(reserved.error().message(), "Parse error: 압축 해제 실패: corrupt deflate stream");
    // Stored block whose length and complement disagree.
    EXPECT_FALSE(inflate_raw(ByteBuffer{0x01, 0x05, 0x00, 0x00, 0x00}).ok());
    // Fixed-code block: literal 'A', then the reserved length symbol 286,
    // which some fast decoders take as a 258-byte match.
    EXPECT_FALSE(inflate_raw(ByteBuffer{0x73, 0x1C, 0x03, 0x00}).ok());
    // A zlib header is not skipped: 0x78 0x9C decodes as a DEFLATE block
    // header (BTYPE 00 stored), whose length check then fails.
    ByteBuffer with_header{0x78, 0x9C};
    const ByteBuffer body = deflate_raw(sample_data(100));
    with_header.insert(with_header.end(), body.begin(), body.end());
    Result<ByteBuffer> zlib_wrapped = inflate_raw(with_header);
    EXPECT_TRUE(!zlib_wrapped.ok() || zlib_wrapped.value() != sample_data(100));
}

TEST(SectionStreamPath, PlainDecimal) {
    EXPECT_EQ(section_stream_path(0), "/BodyText/Section0");
    EXPECT_EQ(section_stream_path(10), "/BodyText/Section10");
}

}  // namespace
}  // namespace brindle
