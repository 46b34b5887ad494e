// Placement of the about box and the logo file reading, under Wine.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "app/about_dialog.h"
#include "app/logo_dialog.h"

namespace {

TEST(AboutBox, PlaceOverOwnerCentresAcrossAndStaysOnScreen) {
  const LONG cx = GetSystemMetrics(SM_CXSCREEN);
  const LONG cy = GetSystemMetrics(SM_CYSCREEN);
  const LONG chrome = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYMENU);
  struct Case {
    RECT owner;
    RECT expected;
  };
  const Case cases[] = {
      // 700 x 500 at 100, 100: 200 across, 370 / 3 = 123 down.
      {{100, 100, 800, 600}, {300, 223 + chrome, 600, 353 + chrome}},
      // Narrower than the box: lined up with the owner's left edge.
      {{100, 100, 300, 600}, {100, 223 + chrome, 400, 353 + chrome}},
      // Near the right and bottom edges: pushed back inside the screen.
      {{cx - 200, cy - 100, cx + 500, cy + 400}, {cx - 300, cy - 130, cx, cy}},
  };
  for (const Case& c : cases) {
    const RECT placed = PlaceOverOwner(c.owner, RECT{0, 0, 300, 130});
    EXPECT_TRUE(EqualRect(&placed, &c.expected))
        << placed.left << "," << placed.top << " " << placed.right << "," << placed.bottom;
  }
}

// A bitmap file: the two headers, `colours` palette entries, then pixels.
std::string Bitmap(uint32_t width, uint32_t height, uint32_t compression, char signature = 'B') {
  auto le32 = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
  std::string info = le32(40) + le32(width) + le32(height) + std::string("\1\0\x08\0", 4) +
                     le32(compression) + le32(0) + le32(0) + le32(0) + le32(2) + le32(0);
  std::string bytes = std::string{signature, 'M'} + std::string(12, '\0') + info;
  bytes += std::string("\x10\x20\x30\0\x40\x50\x60\0", 8);
  bytes += std::string((width + 3) / 4 * 4 * height, '\x01');
  return bytes;
}

TEST(Logo, ReadingStopsAtThePicturesCapacity) {
  struct Case {
    std::string file;
    bool read;
  };
  const Case cases[] = {
      {Bitmap(320, 200, 0), true},
      {Bitmap(640, 400, 1), true},  // four times too large: only the picture is filled
      {Bitmap(320, 200, 0, 'X'), false},
      {Bitmap(320, 200, 3), false},
  };
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "reelwrite-logo.bmp";
  for (const Case& c : cases) {
    std::ofstream(path, std::ios::binary) << c.file;
    RGBQUAD palette[256] = {};
    std::vector<uint8_t> pixels(kLogoWidth * kLogoHeight + 16, 0xEE);
    EXPECT_EQ(ReadLogoFile(path.string().c_str(), palette, pixels.data()), c.read);
    EXPECT_EQ(pixels[kLogoWidth * kLogoHeight], 0xEE);  // nothing past the picture
    if (!c.read) continue;
    EXPECT_EQ(pixels[kLogoWidth * kLogoHeight - 1], 1);
    EXPECT_EQ(palette[1].rgbRed, 0x60);
    EXPECT_EQ(palette[2].rgbRed, 0);  // the used-colours field counts two
  }
}

}  // namespace
