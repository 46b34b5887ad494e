// What the fuzz targets share: the disc targets' input and how it becomes the
// disc state in memory or a disc folder, and the checks that abort as a crash.
//
// The disc input is a Header, then the images back to back: VIDEO_TS.IFO,
// then one to three VTS_nn_0.IFO, the last taking whatever is left. An image
// shorter than 4096 bytes is padded with zeros to 4096, since reading refuses
// shorter files before anything looks inside them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/unit/temp_folder.h"

namespace fuzz {

// Header::flags; bits 0-1 are the title set images - 1 (3 counts as 3).
enum Flag : uint8_t {
  kNoMenu = 0x04,
  kRandomPlay = 0x08,
  kApplyPreset = 0x10,
  kSetRegister = 0x20,
  kTitleActions = 0x40,
  kReadBack = 0x80,  // read the patched disc back and patch it again
};

// Sizes are 16 bits big-endian.
struct Header {
  uint8_t flags;
  int8_t preset;
  uint8_t menuRegister;  // low four bits
  // VIDEO_TS.IFO's size in 64 KiB when larger than its image: zeros follow,
  // so that a small input reaches the 2 MiB the video manager may grow to.
  uint8_t vmgSize64k;
  uint8_t imageSizes[3][2];  // every image's but the last
  uint8_t vmgMenuVob64k[2];
  uint8_t titleSets[3][2][2];  // title sets 1-3: menu VOB in 64 KiB, title VOB sectors in 256s
  uint8_t command[8];          // given to titles whose action is Command
  uint8_t titles[8][2];        // titles 1-8: action kind (modulo 8) and its parameter
};
static_assert(sizeof(Header) == 48, "the input's layout");

struct Input {
  Header header{};
  std::vector<std::vector<uint8_t>> images;  // [0] VIDEO_TS.IFO
};

// False when the input is too short for the header.
bool Decode(const uint8_t* data, std::size_t size, Input* out);
// The bytes Decode reads back as `in`; every image but the last is cut to 65535 bytes.
std::vector<uint8_t> Encode(const Input& in);

// The images in Disc as a read leaves them, each 8-byte aligned with a
// poisoned gap behind it; every byte of IfoStore no image holds is poisoned,
// so a read that leaves its image is reported although it stays inside
// DiscState. False when they do not fit (reading would refuse the folder).
bool LoadImages(const std::vector<std::vector<uint8_t>>& images, const Header& h);
// Poisons VmgImage from `size` on.
void PoisonVmgImageFrom(int64_t size);
// The images as VIDEO_TS.IFO, VTS_nn_0.IFO and their BUPs in a new `folder` of DriveC(); the bytes written.
std::vector<std::vector<uint8_t>> WriteFolder(const Input& in, const std::string& folder);
std::string IfoName(std::size_t n, const char* extension = "IFO");
// The choices the header gives: the options, then preset, register and title actions where flagged.
void ChooseActions(const Header& h);
// Reads every byte of the files execute would write: a file reaching past its
// image is reported. Their count, or -1 when collecting was refused.
int TouchPatchedFiles();

// A temporary folder behind drive C:, made on first use and removed at exit.
TempFolder& DriveC();
// Aborts, as a crash would, when a promise is broken.
void Require(bool holds, const char* promise);
// Answers message boxes (Yes to a question), IFO_FUZZER_TRACE=1 prints them.
void Init();
extern bool trace;

}  // namespace fuzz
