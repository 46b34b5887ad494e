// Byte order and the Shift-JIS aware text helpers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "disc/byte_order.h"
#include "disc/sjis_text.h"

TEST(ByteOrder, ReadsSignedAndUnsignedAndWritesLowBits) {
  const uint8_t ones[4] = {0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(ReadBe32(ones), -1);
  EXPECT_EQ(ReadBe16(ones), 65535);
  uint8_t b[4] = {};
  WriteBe32(b, 0x12345678);
  EXPECT_EQ(ReadBe32(b), 0x12345678);
  EXPECT_EQ(b[0], 0x12);
  EXPECT_EQ(WriteBe16(b, 0x1ABCD), b);
  EXPECT_EQ(b[0], 0xAB);
  EXPECT_EQ(b[1], 0xCD);
  EXPECT_EQ(b[2], 0x56);  // untouched
}

TEST(ByteOrder, SpanInsideNeverWraps) {
  struct Case {
    int64_t size, offset, length;
    bool inside;
  } cases[] = {
      {4096, 0, 4096, true},       {4096, 4096, 0, true}, {4096, 4095, 2, false},
      {4096, -1, 1, false},        {4096, 8, -8, false},  {4096, INT64_MAX, INT64_MAX, false},
      {4096, 1, INT64_MAX, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SpanInside(c.size, c.offset, c.length), c.inside) << c.offset << "+" << c.length;
}

TEST(TextHelpers, RemoveSpaces) {
  for (auto [in, out] :
       {std::pair<const char*, const char*>{" 30 02 00 ", "300200"}, {"   ", ""}, {"", ""}}) {
    char s[32];
    std::strcpy(s, in);
    RemoveSpaces(s);
    EXPECT_STREQ(s, out) << '"' << in << '"';
  }
}

TEST(TextHelpers, LeadBytesAndByteClasses) {
  for (int c = 0; c < 256; ++c)
    EXPECT_EQ(IsSjisLeadByte(uint8_t(c)), (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) << c;
  const char hyo[] =
      "\x95\x5C"
      "A";  // 表 then A
  EXPECT_EQ(SjisByteClass(hyo, 0), 1);
  EXPECT_EQ(SjisByteClass(hyo, 1), 2);
  EXPECT_EQ(SjisByteClass(hyo, 2), 0);
  EXPECT_EQ(SjisByteClass("\x80\x5C", 1), 2);  // 0x80 leads here, unlike IsSjisLeadByte
  EXPECT_EQ(SjisByteClass("A\x95", 1), 0);     // a lead byte at the end stands alone
}

TEST(TextHelpers, AddTrailingBackslash) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"C:\\VIDEO_TS", "C:\\VIDEO_TS\\"},   {"C:\\VIDEO_TS\\", "C:\\VIDEO_TS\\"}, {"", "\\"}, {"C:", "C:\\"},
      {"C:\\\x95\x5C", "C:\\\x95\x5C\\"},  // 表 ends in 0x5C but is no separator
      {"C:\\\x95\x5C\\", "C:\\\x95\x5C\\"},
  };
  for (const Case& c : cases) {
    char s[32];
    std::strcpy(s, c.in);
    AddTrailingBackslash(s);
    EXPECT_STREQ(s, c.out) << c.in;
  }
}
