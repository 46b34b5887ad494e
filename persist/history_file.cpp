#include "persist/history_file.h"

#include <cstdio>
#include <cstring>

#include "actions/title_action.h"
#include "disc/disc_state.h"
#include "persist/program_paths.h"
#include "platform/platform.h"

namespace {

constexpr int kFormatVersion = 0x0140;
constexpr std::size_t kMagicSize = 16;

// The run of DiscState from carried word A to carried word C is the record,
// byte for byte.
constexpr std::size_t kRecordSize =
    offsetof(DiscState, CarriedC) + sizeof Disc.CarriedC - offsetof(DiscState, CarriedA);
static_assert(kRecordSize == 276, "history record");
static_assert(kMagicSize + 8 + kRecordSize == kHistoryFileSize, "history file");

uint8_t* Record() { return reinterpret_cast<uint8_t*>(&Disc.CarriedA); }

void FormatMagic(char (&magic)[kMagicSize + 1]) {
  std::snprintf(magic, sizeof magic, "REELWRITE%04XHST", kFormatVersion);
}

void SetDefaults() {
  std::memcpy(Disc.EditFolderText, ProgramFolder, sizeof Disc.EditFolderText);
  // The drive part of the program's folder stays: C:\Tools\ gives C:\VIDEO_TS\.
  std::memcpy(Disc.EditFolderText + 3, "VIDEO_TS\\", sizeof "VIDEO_TS\\");
  ResetActions();
}

// Reads the file into place; false when anything came up short or differs.
bool ReadHistory(std::FILE* f) {
  char expected[kMagicSize + 1];
  FormatMagic(expected);
  char magic[kMagicSize];
  if (std::fread(magic, 1, kMagicSize, f) != kMagicSize || std::memcmp(magic, expected, kMagicSize) != 0)
    return false;
  uint8_t reserved[8];
  if (std::fread(reserved, 1, sizeof reserved, f) != sizeof reserved) return false;
  return std::fread(Record(), 1, kRecordSize, f) == kRecordSize;
}

}  // namespace

void LoadHistory() {
  SetDefaults();
  if (HistoryPath[0] == '\0') return;
  std::FILE* f = platform::OpenFile(HistoryPath, "rb");
  if (!f) return;
  bool read = ReadHistory(f);
  std::fclose(f);
  // A field whose bytes hold no zero is cut rather than read past its end.
  Disc.EditFolderText[kPathCapacity - 1] = '\0';
  if (!read) platform::RemoveFile(HistoryPath);
}

void SaveHistory() {
  if (HistoryPath[0] == '\0') return;
  std::FILE* f = platform::OpenFile(HistoryPath, "wb");
  if (!f) return;
  char magic[kMagicSize + 1];
  FormatMagic(magic);
  const uint8_t reserved[8] = {};
  bool written = std::fwrite(magic, 1, kMagicSize, f) == kMagicSize &&
                 std::fwrite(reserved, 1, sizeof reserved, f) == sizeof reserved &&
                 std::fwrite(Record(), 1, kRecordSize, f) == kRecordSize;
  // Closing can be where a delayed write error surfaces.
  written = std::fclose(f) == 0 && written;
  if (!written) platform::RemoveFile(HistoryPath);
}
