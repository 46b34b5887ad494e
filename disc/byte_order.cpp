#include "disc/byte_order.h"

int32_t ReadBe32(const uint8_t* p) {
  uint32_t v = (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
  return int32_t(v);
}

int ReadBe16(const uint8_t* p) { return (int(p[0]) << 8) | int(p[1]); }

uint8_t* WriteBe32(uint8_t* p, int32_t v) {
  uint32_t u = uint32_t(v);
  p[0] = uint8_t(u >> 24);
  p[1] = uint8_t(u >> 16);
  p[2] = uint8_t(u >> 8);
  p[3] = uint8_t(u);
  return p;
}

uint8_t* WriteBe16(uint8_t* p, int v) {
  p[0] = uint8_t(unsigned(v) >> 8);
  p[1] = uint8_t(v);
  return p;
}

bool SpanInside(int64_t size, int64_t offset, int64_t length) {
  return offset >= 0 && length >= 0 && offset <= size && length <= size - offset;
}
