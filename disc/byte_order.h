// Big-endian access to IFO fields, and the one check that guards every offset
// taken from a file before it is followed.
#pragma once

#include <cstdint>

int32_t ReadBe32(const uint8_t* p);
int ReadBe16(const uint8_t* p);
uint8_t* WriteBe32(uint8_t* p, int32_t v);
uint8_t* WriteBe16(uint8_t* p, int v);

// True when [offset, offset + length) lies inside an image of `size` bytes.
// Offsets and lengths come from the disc, so they are taken as 64-bit and
// may be negative or huge without wrapping.
bool SpanInside(int64_t size, int64_t offset, int64_t length);
