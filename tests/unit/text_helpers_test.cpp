// Byte order and the Shift-JIS aware text helpers, edge cases in one table each.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

#include "disc/byte_order.h"
#include "disc/sjis_text.h"

TEST(TextHelpers, ByteOrderEdges) {
  const uint8_t ones[4] = {0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(ReadBe32(ones) * 100000 + ReadBe16(ones), -100000 + 65535);
  uint8_t b[4] = {};
  EXPECT_EQ(ReadBe32(WriteBe32(b, 0x12345678)), 0x12345678);
  WriteBe16(b, 0x1ABCD);  // only the low 16 bits
  EXPECT_EQ(ReadBe32(b), int32_t(0xABCD5678));
  for (auto [offset, length, inside] : {std::tuple<int64_t, int64_t, bool>{0, 4096, true},
                                        {4096, 0, true},
                                        {4095, 2, false},
                                        {-1, 1, false},
                                        {8, -8, false},
                                        {1, INT64_MAX, false}})
    EXPECT_EQ(SpanInside(4096, offset, length), inside) << offset << "+" << length;
}

TEST(TextHelpers, SjisAwareText) {
  // f: 'r' RemoveSpaces, 'b' AddTrailingBackslash, 'p' CutToParentFolder,
  // 'a' AppendFolderName of `name` into 32 bytes.
  const std::string longName(26, 'N');
  struct Case {
    char f;
    const char* in;
    const char* out;
    const char* name = "";
  } cases[] = {
      {'r', " 30 02 00 ", "300200"},
      {'r', "   ", ""},
      {'b', "C:\\VIDEO_TS", "C:\\VIDEO_TS\\"},
      {'b', "C:\\VIDEO_TS\\", "C:\\VIDEO_TS\\"},
      {'b', "", "\\"},
      {'b', "C:\\\x95\x5C", "C:\\\x95\x5C\\"},  // 表 ends in 0x5C
      {'b', "C:\\\x95\x5C\\", "C:\\\x95\x5C\\"},
      {'p', "D:\\A\\B\\", "D:\\A\\"},
      {'p', "D:\\A\\", "D:\\"},
      {'p', "D:\\", "D:\\"},
      {'p', "\\A\\", "\\A\\"},  // the second-to-last at 0 is no parent
      {'p', "D:\\A\\\x95\x5C\\", "D:\\A\\"},
      {'p', "D:\\\x95\x5C\\B\\", "D:\\\x95\x5C\\"},
      {'a', "D:\\A\\", "D:\\A\\B\\", "B"},
      {'a', "D:\\A\\", "D:\\A\\", longName.c_str()},  // 5 + 26 + "\\" + terminator > 32
  };
  for (const Case& c : cases) {
    char s[32];
    std::strcpy(s, c.in);
    if (c.f == 'r') RemoveSpaces(s);
    if (c.f == 'b') AddTrailingBackslash(s);
    if (c.f == 'p') CutToParentFolder(s);
    if (c.f == 'a') {
      EXPECT_EQ(AppendFolderName(s, sizeof s, c.name), std::strlen(c.out) > std::strlen(c.in));
    }
    EXPECT_STREQ(s, c.out) << c.f << " \"" << c.in << '"';
  }
  // 0x80 leads for SjisByteClass, unlike IsSjisLeadByte.
  const char* hyo = "\x95\\A";  // 表 then A
  for (auto [text, p, cls] :
       {std::tuple<const char*, int, int>{hyo, 0, 1}, {hyo, 1, 2}, {hyo, 2, 0}, {"\x80\\", 1, 2}})
    EXPECT_EQ(SjisByteClass(text, std::size_t(p)), cls) << p;
  for (int c : {0x80, 0x81, 0x9F, 0xA0, 0xDF, 0xE0, 0xFC, 0xFD})  // the edges of both lead ranges
    EXPECT_EQ(IsSjisLeadByte(uint8_t(c)), c == 0x81 || c == 0x9F || c == 0xE0 || c == 0xFC) << c;
}
