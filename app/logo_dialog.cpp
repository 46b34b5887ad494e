#include "app/logo_dialog.h"

#include <cstdio>
#include <cstring>

#include "persist/program_paths.h"
#include "platform/platform.h"
#include "res/resource.h"

namespace {

constexpr UINT_PTR kCloseTimer = 1;

uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

// A device-independent bitmap's header with room for its palette.
struct PictureInfo {
  BITMAPINFOHEADER header;
  RGBQUAD colours[256];
};

}  // namespace

bool ReadLogoFile(const char* path, RGBQUAD palette[256], uint8_t* pixels) {
  std::FILE* file = platform::OpenFile(path, "rb");
  if (file == nullptr) return false;
  uint8_t fileHeader[14] = {};
  uint8_t info[40] = {};
  (void)!std::fread(fileHeader, 1, sizeof fileHeader, file);
  (void)!std::fread(info, 1, sizeof info, file);
  const uint32_t compression = Le32(info + 16);
  if (fileHeader[0] != 'B' || fileHeader[1] != 'M' || compression > 1) {
    std::fclose(file);
    return false;
  }
  uint32_t colours = Le32(info + 32);
  if (colours == 0 || colours > 256) colours = 256;
  const uint64_t stride = (uint64_t{Le32(info + 4)} + 3) / 4 * 4;
  const uint64_t size = stride * Le32(info + 8);

  uint8_t entries[1024] = {};
  (void)!std::fread(entries, 4, colours, file);
  for (uint32_t i = 0; i < colours; ++i) {
    palette[i] = RGBQUAD{entries[4 * i], entries[4 * i + 1], entries[4 * i + 2], 0};
  }
  constexpr std::size_t kCapacity = kLogoWidth * kLogoHeight;
  (void)!std::fread(pixels, 1, size < kCapacity ? static_cast<std::size_t>(size) : kCapacity, file);
  std::fclose(file);
  return true;
}

LogoDialog::LogoDialog(const winfw::Window* parent) : winfw::Dialog(IDD_LOGO, parent) {
  PictureInfo info{};
  info.header.biSize = sizeof info.header;
  info.header.biWidth = kLogoWidth;
  info.header.biHeight = kLogoHeight;
  info.header.biPlanes = 1;
  info.header.biBitCount = 8;
  info.header.biCompression = BI_RGB;
  info.header.biClrUsed = 256;
  void* memory = nullptr;
  picture_ =
      CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &memory, nullptr, 0);
  if (picture_ == nullptr) return;
  // A missing or unusable file leaves the fresh picture as it is.
  RGBQUAD palette[256] = {};
  char path[kPathCapacity];
  const int n = std::snprintf(path, sizeof path, "%sLOGO.BMP", ProgramFolder);
  if (n < 0 || n >= static_cast<int>(sizeof path)) return;
  if (!ReadLogoFile(path, palette, static_cast<uint8_t*>(memory))) return;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, picture_);
  SetDIBColorTable(dc, 0, 256, palette);
  SelectObject(dc, old);
  DeleteDC(dc);
}

LogoDialog::~LogoDialog() {
  if (picture_ != nullptr) DeleteObject(picture_);
}

void LogoDialog::SetupWindow() {
  const RECT r = WindowRect();
  MoveWindow(hwnd_, r.left, r.top, kLogoWidth + GetSystemMetrics(SM_CXFRAME),
             kLogoHeight + GetSystemMetrics(SM_CYFRAME), TRUE);
  SetTimer(kCloseTimer, 2000);
}

bool LogoDialog::HandleMessage(UINT message, WPARAM w, LPARAM, INT_PTR* result) {
  *result = 0;
  if (message == WM_TIMER && w == kCloseTimer) {
    KillTimer(kCloseTimer);
    PostMessageW(hwnd_, WM_CLOSE, 0, 0);
    return true;
  }
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd_, &paint);
    if (picture_ != nullptr) {
      HDC source = CreateCompatibleDC(dc);
      HGDIOBJ old = SelectObject(source, picture_);
      BitBlt(dc, 0, 0, kLogoWidth, kLogoHeight, source, 0, 0, SRCCOPY);
      SelectObject(source, old);
      DeleteDC(source);
    }
    EndPaint(hwnd_, &paint);
    return true;
  }
  return false;
}
