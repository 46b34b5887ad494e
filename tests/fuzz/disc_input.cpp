#include "tests/fuzz/disc_input.h"

#include <algorithm>

namespace fuzzdisc {
namespace {

uint16_t Get16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }
void Put16(uint8_t* p, std::size_t v) {
  p[0] = uint8_t(v >> 8);
  p[1] = uint8_t(v);
}

int ImageCount(uint8_t flags) { return 1 + std::min(1 + (flags & 3), kMaxTitleSetImages); }

}  // namespace

bool Decode(const uint8_t* data, std::size_t size, Input* out) {
  if (size < kHeaderSize) return false;
  *out = Input{};
  out->flags = data[0];
  out->presetIndex = int8_t(data[1]);
  out->menuRegister = data[2] & 15;
  out->vmgSize64k = data[3];
  out->vmgMenuVob64k = Get16(data + 10);
  for (int n = 0; n < kMaxTitleSetImages; ++n) {
    out->menuVob64k[n] = Get16(data + 12 + 4 * n);
    out->titleVobSectors256[n] = Get16(data + 14 + 4 * n);
  }
  std::copy(data + 24, data + 32, out->command);
  for (int j = 0; j < kTitleActions; ++j) out->titles[j] = {data[32 + 2 * j], data[33 + 2 * j]};

  int count = ImageCount(data[0]);
  std::size_t at = kHeaderSize;
  for (int n = 0; n < count; ++n) {
    std::size_t length = n + 1 < count ? Get16(data + 4 + 2 * n) : size - at;
    length = std::min(length, size - at);
    out->images.emplace_back(data + at, data + at + length);
    at += length;
  }
  return true;
}

std::vector<uint8_t> Encode(const Input& in) {
  std::vector<uint8_t> out(kHeaderSize, 0);
  int count = std::min<int>(int(in.images.size()), 1 + kMaxTitleSetImages);
  out[0] = uint8_t((in.flags & ~3) | (count >= 2 ? count - 2 : 0));
  out[1] = uint8_t(in.presetIndex);
  out[2] = in.menuRegister;
  out[3] = in.vmgSize64k;
  Put16(&out[10], in.vmgMenuVob64k);
  for (int n = 0; n < kMaxTitleSetImages; ++n) {
    Put16(&out[12 + 4 * n], in.menuVob64k[n]);
    Put16(&out[14 + 4 * n], in.titleVobSectors256[n]);
  }
  std::copy(in.command, in.command + 8, &out[24]);
  for (int j = 0; j < kTitleActions; ++j) {
    out[32 + 2 * j] = in.titles[j].kind;
    out[33 + 2 * j] = in.titles[j].parameter;
  }
  for (int n = 0; n < count; ++n) {
    std::size_t length = in.images[n].size();
    if (n + 1 < count) {
      length = std::min<std::size_t>(length, 0xFFFF);
      Put16(&out[4 + 2 * n], length);
    }
    out.insert(out.end(), in.images[n].begin(), in.images[n].begin() + std::ptrdiff_t(length));
  }
  return out;
}

}  // namespace fuzzdisc
