// The checksum a backup records of each file it holds: CRC-32 (the
// polynomial of zlib, PNG and Ethernet), enough to notice a file changed by
// hand or by a tool since the backup was taken.
#pragma once

#include <cstddef>
#include <cstdint>

// Continues `crc` (0 to start) over `size` bytes.
uint32_t ExtendChecksum(uint32_t crc, const uint8_t* bytes, std::size_t size);

// The checksum of a whole file; false when it cannot be read to its end.
bool FileChecksum(const char* path, uint32_t* crc);
