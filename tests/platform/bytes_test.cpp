// The one reader and writer of binary records, over memory and over files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/bytes.h"
#include "platform/file_reader.h"
#include "platform/files.h"
#include "support/temp_dir.h"

using namespace platform;

namespace {

std::vector<uint8_t> pattern(size_t n) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = uint8_t(i * 7 + i / 251);
    return v;
}

// Records of every kind of field, as a page or sequence file strings them together.
std::vector<uint8_t> records(int count) {
    std::vector<uint8_t> out;
    ByteWriter w(out);
    for (int i = 0; i < count; ++i) {
        w.u32(uint32_t(i) * 0x01010101u);
        w.str32("record " + std::to_string(i));
        w.i16(int16_t(-i));
        w.u8(uint8_t(i));
        w.bytes(pattern(61).data(), 61);
    }
    return out;
}

void readRecords(ByteReader& r, int count) {
    const std::vector<uint8_t> block = pattern(61);
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ(r.u32(), uint32_t(i) * 0x01010101u) << i;
        ASSERT_EQ(r.str32(), "record " + std::to_string(i));
        ASSERT_EQ(r.i16(), int16_t(-i));
        ASSERT_EQ(r.u8(), uint8_t(i));
        uint8_t got[61];
        ASSERT_TRUE(r.bytes(got, sizeof got));
        ASSERT_TRUE(std::equal(block.begin(), block.end(), got)) << i;
    }
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.remaining(), 0u);
    EXPECT_EQ(r.u32(), 0u);
    EXPECT_FALSE(r.ok());
}

}  // namespace

TEST(ByteReader, BigEndianFieldsOfWireFormats) {
    std::vector<uint8_t> buf;
    ByteWriter w(buf);
    w.u16be(0x1234);
    w.u16(0x1234);
    EXPECT_EQ(buf, (std::vector<uint8_t>{0x12, 0x34, 0x34, 0x12}));
    ByteReader r(buf.data(), buf.size());
    EXPECT_EQ(r.u16be(), 0x1234);
    EXPECT_EQ(r.u16be(), 0x3412);
    EXPECT_EQ(r.u16be(), 0);
    EXPECT_FALSE(r.ok());
}

TEST(ByteReader, SeekAndSkipStayInsideTheData) {
    const std::vector<uint8_t> data = pattern(16);
    ByteReader r(data.data(), data.size());
    EXPECT_TRUE(r.seek(12));
    EXPECT_EQ(r.u8(), data[12]);
    EXPECT_TRUE(r.seek(2));
    EXPECT_EQ(r.pos(), 2u);
    EXPECT_TRUE(r.skip(14));
    EXPECT_EQ(r.remaining(), 0u);
    EXPECT_FALSE(r.skip(1));
    EXPECT_FALSE(r.seek(0));  // a failed reader stays failed
}

TEST(ByteReader, RecordsAsFieldListsEachAsWideAsItsType) {
    enum Kind : int32_t { KIND_A = 1, KIND_B = -2 };
    struct Record {
        Kind kind = KIND_B;
        uint8_t flags = 0x81;
        int16_t offset = -300;
        uint32_t colour = 0x80112233;
        char name[5] = "abcd";
    } in, out;
    std::vector<uint8_t> buf;
    ByteWriter w(buf);
    w.fields(in.kind, in.flags, in.offset, in.colour, in.name);
    EXPECT_EQ(buf, (std::vector<uint8_t>{0xFE, 0xFF, 0xFF, 0xFF, 0x81, 0xD4, 0xFE, 0x33, 0x22, 0x11, 0x80, 'a', 'b',
                                         'c', 'd', 0}));
    ByteReader r(buf.data(), buf.size());
    ASSERT_TRUE(r.fields(out.kind, out.flags, out.offset, out.colour, out.name));
    EXPECT_EQ(out.kind, KIND_B);
    EXPECT_EQ(out.offset, -300);
    EXPECT_EQ(out.colour, 0x80112233u);
    EXPECT_STREQ(out.name, "abcd");

    // A record cut short gives none of its fields, not the first few.
    ByteReader cut(buf.data(), buf.size() - 1);
    EXPECT_FALSE(cut.fields(out.kind, out.flags, out.offset, out.colour, out.name));
    EXPECT_EQ(out.kind, 0);
    EXPECT_EQ(out.colour, 0u);
    EXPECT_EQ(out.name[0], 0);
    EXPECT_FALSE(cut.ok());

    uint8_t fixed[6];
    ByteWriter small(fixed, sizeof fixed);
    small.fields(in.kind, in.flags, in.offset, in.colour);  // 11 bytes: none go in
    EXPECT_FALSE(small.ok());
    EXPECT_EQ(small.size(), 0u);
}

TEST(ByteWriter, FixedBufferTakesNoMoreThanItHolds) {
    uint8_t head[6] = {};
    ByteWriter w(head, sizeof head);
    w.u32(0x04030201);
    EXPECT_TRUE(w.ok());
    w.u32(0xFFFFFFFF);  // two bytes too many: nothing of it goes in
    EXPECT_FALSE(w.ok());
    EXPECT_EQ(w.size(), 4u);
    EXPECT_EQ(head[4], 0);
    w.patchU32(0, 0x0A0B0C0D);
    EXPECT_EQ(head[0], 0x0D);
    EXPECT_EQ(head[3], 0x0A);

    uint8_t exact[4];
    ByteWriter fits(exact, sizeof exact);
    fits.u16(1);
    fits.u16be(2);
    EXPECT_TRUE(fits.ok());
    EXPECT_EQ(fits.size(), 4u);
    fits.patchU32(1, 0);  // past the end of what was written
    EXPECT_FALSE(fits.ok());
}

TEST(FileReader, ReadsRecordsAsMemoryDoesAcrossItsBuffer) {
    zxtest::TempDir dir;
    const std::vector<uint8_t> data = records(400);
    ASSERT_TRUE(WriteFileAtomic(dir.file("records.dat"), data));

    ByteReader memory(data.data(), data.size());
    readRecords(memory, 400);
    // A read-ahead of 100 bytes puts a buffer boundary inside nearly every record.
    FileReader small(dir.file("records.dat"), 100);
    ASSERT_TRUE(small.ok());
    EXPECT_EQ(small.size(), data.size());
    readRecords(small, 400);
    FileReader usual(dir.file("records.dat"));
    readRecords(usual, 400);
}

TEST(FileReader, SeeksAndReadsLargeBlocksWherever) {
    zxtest::TempDir dir;
    const std::vector<uint8_t> data = pattern(300000);
    ASSERT_TRUE(WriteFileAtomic(dir.file("big.dat"), data));
    FileReader f(dir.file("big.dat"));
    ASSERT_TRUE(f.seek(250000));
    EXPECT_EQ(f.u8(), data[250000]);
    ASSERT_TRUE(f.seek(10));  // back before the buffer
    EXPECT_EQ(f.u8(), data[10]);
    std::vector<uint8_t> block(200000);
    ASSERT_TRUE(f.seek(50000));
    ASSERT_TRUE(f.bytes(block.data(), block.size()));
    EXPECT_TRUE(std::equal(block.begin(), block.end(), data.begin() + 50000));
    EXPECT_EQ(f.pos(), 250000u);
    EXPECT_EQ(f.u8(), data[250000]);
    EXPECT_TRUE(f.skip(f.remaining()));
    EXPECT_FALSE(f.skip(1));
    EXPECT_FALSE(f.ok());
}

TEST(FileReader, ShortFileFailsTheReadAndZeroFills) {
    zxtest::TempDir dir;
    const std::vector<uint8_t> data = pattern(10);
    ASSERT_TRUE(WriteFileAtomic(dir.file("short.dat"), data));
    FileReader f(dir.file("short.dat"));
    uint8_t got[16];
    std::fill(std::begin(got), std::end(got), 0xEE);
    EXPECT_FALSE(f.bytes(got, sizeof got));
    EXPECT_EQ(std::count(std::begin(got), std::end(got), 0), 16);
    EXPECT_FALSE(f.ok());
    EXPECT_EQ(f.remaining(), 0u);

    // A stored length longer than the rest of the file is damage, not an allocation.
    std::vector<uint8_t> lying;
    ByteWriter w(lying);
    w.u32(1000);
    w.bytes("abc", 3);
    ASSERT_TRUE(WriteFileAtomic(dir.file("lying.dat"), lying));
    FileReader g(dir.file("lying.dat"));
    EXPECT_EQ(g.str32(), "");
    EXPECT_FALSE(g.ok());
}

TEST(FileReader, OnlyRegularFilesOpen) {
    zxtest::TempDir dir;
    FileReader none;
    EXPECT_FALSE(none.ok());  // nothing open: every read fails
    EXPECT_EQ(none.u32(), 0u);
    EXPECT_FALSE(none.open(dir.file("missing.dat")));
    EXPECT_FALSE(none.open(dir.path()));
    // A pipe given a file's name would block a reader for good.
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
    EXPECT_FALSE(none.open(dir.file("pipe")));
    EXPECT_FALSE(none.isOpen());

    ASSERT_TRUE(WriteFileAtomic(dir.file("empty.dat"), std::string()));
    FileReader empty(dir.file("empty.dat"));
    EXPECT_TRUE(empty.ok());
    EXPECT_EQ(empty.size(), 0u);
    EXPECT_EQ(empty.u8(), 0);
    EXPECT_FALSE(empty.ok());
}
