// The logo window shown for two seconds while the frame is set up.
#pragma once

#include <windows.h>

#include <cstdint>

#include "winfw/dialog.h"

constexpr int kLogoWidth = 320;
constexpr int kLogoHeight = 200;

// Reads an 8-bit bitmap file into the picture's palette and pixels
// (kLogoWidth * kLogoHeight bytes), stopping at their capacity: a larger file
// fills the picture with its first bytes. False, with nothing read, when the
// file is missing or its header names no uncompressed or RLE8 bitmap.
bool ReadLogoFile(const char* path, RGBQUAD palette[256], uint8_t* pixels);

class LogoDialog : public winfw::Dialog {
 public:
  explicit LogoDialog(const winfw::Window* parent);
  ~LogoDialog() override;

 protected:
  void SetupWindow() override;
  bool HandleMessage(UINT message, WPARAM w, LPARAM l, INT_PTR* result) override;

 private:
  HBITMAP picture_ = nullptr;
};
