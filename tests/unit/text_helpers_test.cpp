// Spans at the image's edges, and paths whose double-byte characters end in
// the backslash byte 0x5C (表 is 0x95 0x5C; 0xFC leads the last row).
#include <gtest/gtest.h>

#include <cstring>

#include "disc/byte_order.h"
#include "disc/sjis_text.h"

TEST(TextHelpers, SpansAndShiftJisPaths) {
  EXPECT_TRUE(SpanInside(4096, 0, 4096) && SpanInside(4096, 4096, 0));
  EXPECT_FALSE(SpanInside(4096, 4095, 2) || SpanInside(4096, -1, 1) || SpanInside(4096, 1, INT64_MAX));
  const struct {
    void (*change)(char*);
    const char *in, *out;
  } cases[] = {
      {AddTrailingBackslash, "C:\\\x95\x5C", "C:\\\x95\x5C\\"},
      {CutToParentFolder, "D:\\A\\B\\", "D:\\A\\"},
      {CutToParentFolder, "D:\\A\\\xFC\x5C\\", "D:\\A\\"},
  };
  for (const auto& c : cases) {
    char s[32];
    std::strcpy(s, c.in);
    c.change(s);
    EXPECT_STREQ(s, c.out) << c.in;
  }
}
