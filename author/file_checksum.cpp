#include "author/file_checksum.h"

#include <cstdio>

#include "platform/platform.h"

uint32_t ExtendChecksum(uint32_t crc, const uint8_t* bytes, std::size_t size) {
  // Bit by bit over the reflected polynomial: a few MiB of IFO files per
  // backup need no table.
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= bytes[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

bool FileChecksum(const char* path, uint32_t* crc) {
  static uint8_t chunk[64 * 1024];
  std::FILE* f = platform::OpenFile(path, "rb");
  if (!f) return false;
  *crc = 0;
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) *crc = ExtendChecksum(*crc, chunk, got);
  bool whole = !std::ferror(f);
  std::fclose(f);
  return whole;
}
