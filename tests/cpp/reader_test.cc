// Record cutting: header fields, extended sizes and every way the bytes
// can end early.
#include <gtest/gtest.h>

#include "hwp/record.h"
#include "test_support.h"

namespace brindle {
namespace {

using test::ByteWriter;

ByteBuffer as_buffer(const HwpRecord& record) { return ByteBuffer(record.bytes().begin(), record.bytes().end()); }

TEST(ParseRecords, WorkedExamplesFromTheRecordLayout) {
    // 42 00 10 00 + 1 byte: tag 66, level 0, size 1.
    // 47 08 30 00 + 3 bytes: tag 71, level 2, size 3.
    ByteWriter w;
    w.u32(0x00100042).u8(0xAA).u32(0x00300847).u8(1).u8(2).u8(3);
    const RecordList records = parse_records(w.buffer());
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].tag_id, 66);
    EXPECT_EQ(records[0].level, 0);
    EXPECT_EQ(as_buffer(records[0]), ByteBuffer{0xAA});
    EXPECT_EQ(records[1].tag_id, 71);
    EXPECT_EQ(records[1].level, 2);
    EXPECT_EQ(as_buffer(records[1]), (ByteBuffer{1, 2, 3}));
}

TEST(ParseRecords, ExtendedSizeIsUsedAsGiven) {
    // 43 04 F0 FF, then 4096: tag 67, level 1, 4096 payload bytes, then a
    // second record right after at offset 4104.
    ByteWriter w;
    w.u32(0xFFF00443).u32(4096).zeros(4096).u32(0x00000042);
    RecordList records = parse_records(w.buffer());
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].tag_id, 67);
    EXPECT_EQ(records[0].level, 1);
    EXPECT_EQ(records[0].size(), 4096u);
    EXPECT_EQ(records[1].tag_id, 66);

    // An extended size below 0xFFF (5) is accepted: payload from offset 8.
    ByteWriter small;
    small.u32(0xFFF00043).u32(5).u8(1).u8(2).u8(3).u8(4).u8(5);
    records = parse_records(small.buffer());
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(as_buffer(records[0]), (ByteBuffer{1, 2, 3, 4, 5}));
}

TEST(ParseRecords, AllTenBitsOfTagAndLevel) {
    ByteWriter w;
    w.u32(0x000FFFFF);  // tag 1023, level 1023, size 0
    const RecordList records = parse_records(w.buffer());
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].tag_id, 1023);
    EXPECT_EQ(records[0].level, 1023);
    EXPECT_TRUE(records[0].bytes().empty());
}

TEST(ParseRecords, ShortInputEndsTheList) {
    for (std::size_t n = 0; n < 4; ++n) {
        const ByteBuffer bytes(n, 0x42);
        EXPECT_TRUE(parse_records(bytes).empty()) << n << " bytes";
    }
    // Extended marker followed by 0-3 bytes: the record is not listed.
    for (std::size_t n = 0; n < 4; ++n) {
        ByteWriter w;
        w.u32(0x00000042).u32(0xFFF00043).zeros(n);
        const RecordList records = parse_records(w.buffer());
        ASSERT_EQ(records.size(), 1u) << n;
        EXPECT_EQ(records[0].tag_id, 66);
    }
    // A payload larger than what is left drops it and everything after.
    ByteWriter w;
    w.u32(0x00000042).u32(0x00A00043).zeros(9);
    EXPECT_EQ(parse_records(w.buffer()).size(), 1u);
    // A 4 GiB extended size does not allocate or wrap around.
    ByteWriter huge;
    huge.u32(0xFFF00043).u32(0xFFFFFFFF).zeros(16);
    EXPECT_TRUE(parse_records(huge.buffer()).empty());
}

TEST(ParseRecords, PayloadsViewTheBytesTheListOwns) {
    static_assert(sizeof(HwpRecord) == 16);
    ByteWriter w;
    w.u32(0x00200042).u8(1).u8(2).u32(0x00100043).u8(3);
    ByteBuffer section = w.take();
    const std::uint8_t* data = section.data();
    const RecordList moved = parse_records(std::move(section));
    ASSERT_EQ(moved.size(), 2u);
    EXPECT_EQ(moved[0].bytes().data(), data + 4);  // no copy of the section
    EXPECT_EQ(moved[1].bytes().data(), data + 10);
    const RecordList relocated = [&] {
        RecordList copy = parse_records(Bytes(data, 11));
        return copy;  // moving the list keeps the views valid
    }();
    EXPECT_EQ(relocated[1].bytes()[0], 3);
}

TEST(ParseRecords, StrayTrailingBytesAreIgnored) {
    for (std::size_t n = 1; n < 4; ++n) {
        ByteWriter w;
        w.u32(0x00100042).u8(7).zeros(n);
        EXPECT_EQ(parse_records(w.buffer()).size(), 1u) << n;
    }
}

TEST(SkipSubtree, StopsAtTheFirstRecordNotDeeper) {
    const std::vector<HwpRecord> records = {test::record(71, 1), test::record(72, 2), test::record(67, 3),
                                            test::record(66, 2), test::record(66, 1), test::record(66, 0)};
    EXPECT_EQ(skip_subtree(records, 1, 1), 4u);
    EXPECT_EQ(skip_subtree(records, 2, 2), 3u);
    EXPECT_EQ(skip_subtree(records, 1, 0), 5u);
    EXPECT_EQ(skip_subtree(records, 4, 1), 4u);  // nothing to skip
    EXPECT_EQ(skip_subtree(records, 6, 0), 6u);  // at the end
    EXPECT_EQ(skip_subtree(records, 1, 1023), 1u);
}

TEST(ControlId, FirstFourBytesLittleEndian) {
    EXPECT_EQ(control_id(test::record(71, 0, {' ', 'l', 'b', 't'})), 0x74626c20u);
    EXPECT_EQ(control_id(test::record(71, 0, {'l', 'b', 't'})), 0u);
}

}  // namespace
}  // namespace brindle
