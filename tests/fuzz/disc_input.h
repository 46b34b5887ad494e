// The disc fuzzer's input: a 48-byte header of options and sizes, then the
// images back to back (VIDEO_TS.IFO first, then one to three VTS_nn_0.IFO).
//
//   byte 0       bits 0-1: title set images - 1 (3 counts as 3 images)
//                bit 2 NoMenu, bit 3 RandomPlay, bit 4 apply preset byte 1,
//                bit 5 MenuRegister = byte 2, bit 6 title actions from
//                bytes 32-47, bit 7 read the patched disc back and patch it again
//   byte 1       PresetIndex (signed)
//   byte 2       MenuRegister (low four bits)
//   byte 3       VIDEO_TS.IFO's size in 64 KiB when larger than its image:
//                zeros follow, so that a small input can make a file near or
//                over the 2 MiB the video manager may grow to
//   bytes 4-9    sizes of the first three images, 16 bits big-endian each;
//                the last image takes whatever follows the ones before it
//   bytes 10-11  VIDEO_TS.VOB size, in 64 KiB
//   bytes 12-23  per title set 1-3: menu VOB size in 64 KiB, title VOB
//                sectors in 256s (16 bits each)
//   bytes 24-31  the command given to titles whose action is Command
//   bytes 32-47  titles 1-8: action kind and its parameter
//
// An image shorter than 4096 bytes is padded with zeros to 4096, since
// reading refuses shorter files before anything looks inside them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fuzzdisc {

constexpr std::size_t kHeaderSize = 48;
constexpr int kMaxTitleSetImages = 3;
constexpr int kTitleActions = 8;

enum Flag : uint8_t {
  kNoMenu = 0x04,
  kRandomPlay = 0x08,
  kApplyPreset = 0x10,
  kSetRegister = 0x20,
  kTitleActionsGiven = 0x40,
  kReadBack = 0x80,
};

struct TitleChoice {
  uint8_t kind;  // taken modulo 8 by the harness
  uint8_t parameter;
};

struct Input {
  uint8_t flags = 0;
  int8_t presetIndex = 0;
  uint8_t menuRegister = 0;
  uint8_t vmgSize64k = 0;
  uint16_t vmgMenuVob64k = 0;
  uint16_t menuVob64k[kMaxTitleSetImages] = {};
  uint16_t titleVobSectors256[kMaxTitleSetImages] = {};
  uint8_t command[8] = {};
  TitleChoice titles[kTitleActions] = {};
  std::vector<std::vector<uint8_t>> images;  // [0] VIDEO_TS.IFO, then the title sets
};

// False when the input is too short to hold the header.
bool Decode(const uint8_t* data, std::size_t size, Input* out);
// The bytes Decode reads back as `in`; images above 65535 bytes are cut,
// except the last one.
std::vector<uint8_t> Encode(const Input& in);

}  // namespace fuzzdisc
