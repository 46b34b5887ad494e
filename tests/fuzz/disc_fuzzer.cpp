// Damaged discs as a user meets them: the input's images become a folder's
// IFOs and BUPs beside video files of the sizes it names, get info reads it
// and the input chooses the actions. The disc as read is then looked at and
// patched in memory with every byte of IfoStore that no image holds, and of
// VmgImage past its size, poisoned: a table pointing outside its file is
// reported although the read stays inside DiscState, and the title set patch
// changes only sector fields and post commands. Then execute writes the
// folder: a refused execute changes nothing; a written disc holds each IFO's
// bytes in its BUP and reads back, executing it again with the actions read
// back changes nothing, and restore brings back the input's files.
//
// Input: a Header, then the information files back to back, VIDEO_TS.IFO
// last, each as long as the header says (zeros where the input runs out).
// scripts/fuzz makes the seeds from discs scripts/make_disc authors.
// FUZZ_TRACE=1 prints the messages shown.
#include <sanitizer/asan_interface.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <string>
#include <vector>

#include "actions/get_info.h"
#include "actions/presets.h"
#include "actions/title_action.h"
#include "author/execute.h"
#include "author/file_set_writer.h"
#include "author/original_backup.h"
#include "author/vmg_patch.h"
#include "author/vts_patch.h"
#include "author/written_parts.h"
#include "disc/command_decoder.h"
#include "disc/disc_state.h"
#include "disc/ifo_tables.h"
#include "disc/menu_table.h"
#include "disc/nav_vm.h"
#include "disc/title_chain.h"
#include "platform/platform.h"

namespace {

// Bits 0-1 of the flags: the title sets - 1 (3 counts as 3). kReadBack:
// execute again on the written disc with the actions read back.
constexpr uint8_t kNoMenu = 4, kRandomPlay = 8, kApplyPreset = 16, kSetRegister = 32, kTitleActions = 64,
                  kReadBack = 128;

// Sizes in sectors, 16 bits big-endian.
struct Header {
  uint8_t flags;
  int8_t preset;
  uint8_t menuRegister;  // low four bits
  uint8_t command[8];    // given to titles whose action is Command
  uint8_t titles[8][2];  // titles 1-8: action kind (modulo 8) and its parameter
  uint8_t ifo[4][2];     // VIDEO_TS.IFO, VTS_01_0.IFO to VTS_03_0.IFO
  uint8_t vob[4][2][2];  // VIDEO_TS.VOB, then each set's menu VOB and VTS_nn_1.VOB
};
static_assert(sizeof(Header) == 51, "the input's layout, which scripts/fuzz writes");

constexpr int64_t kSector = 2048;
bool trace = false;
std::string host;  // the folder behind C:
using Bytes = std::vector<uint8_t>;

int Sectors(const uint8_t (&be)[2]) { return be[0] << 8 | be[1]; }

// Title set n's file `part`.EXTENSION (0 the IFO, BUP and menu VOB), VIDEO_TS.EXTENSION for 0.
std::string Name(int n, const char* extension, int part = 0) {
  char name[16];
  std::snprintf(name, sizeof name, "VTS_%02d_%d.", n, part);
  return host + "/DISC/" + (n ? name : "VIDEO_TS.") + extension;
}

// The folder's IFOs (or BUPs) of title sets 0 to `sets`.
std::vector<Bytes> Read(int sets, const char* extension) {
  std::vector<Bytes> files;
  for (int n = 0; n <= sets; ++n) {
    std::ifstream f(Name(n, extension), std::ios::binary);
    files.emplace_back(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  }
  return files;
}

void Write(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

void Require(bool holds, const char* promise) {
  if (holds) return;
  std::fprintf(stderr, "broken promise: %s\n", promise);
  std::abort();
}

// The options are get info's.
void Choose(const Header& h) {
  if (h.flags & kApplyPreset) Disc.PresetIndex = h.preset, ApplyBatchPreset();
  if (h.flags & kSetRegister) Disc.MenuRegister = h.menuRegister & 15;
  if (!(h.flags & kTitleActions)) return;
  static const int32_t kKinds[8] = {JumpTitle, Command, MenuPgc, Stop, Repeat, Unchanged, 3, 4};
  for (int j = 0; j < std::min(Disc.TitleCount, 8); ++j) {
    Disc.ActionKind[j] = kKinds[h.titles[j][0] % 8];
    Disc.ActionTarget[j] = h.titles[j][1] % Disc.TitleCount;
    Disc.ActionMenu[j] = h.titles[j][1] % kMenuChoiceCount;
    char text[24];
    FormatCommandText(h.command, text);
    text[0] = "0123456789ABCDEF"[j];  // a different command per title
    ParseCommandText(j, text);
  }
}

void PoisonVmgImageFrom(int64_t size) {
  size = std::clamp<int64_t>(size, 0, kVmgImageCapacity);
  ASAN_UNPOISON_MEMORY_REGION(Disc.VmgImage, size);
  ASAN_POISON_MEMORY_REGION(Disc.VmgImage + size, kVmgImageCapacity - size);
}

// Moves the images apart, each 8-byte aligned behind an 8-byte gap, and
// poisons every byte of IfoStore none of them holds. False when they do not fit.
bool Spread() {
  std::vector<Bytes> images;
  for (int n = 0; n <= Disc.TitleSetCount; ++n)
    images.emplace_back(VtsImage(n), VtsImage(n) + Disc.IfoSize[n]);
  ASAN_POISON_MEMORY_REGION(Disc.IfoStore, kIfoStoreCapacity);
  int64_t at = 8 - reinterpret_cast<uintptr_t>(Disc.IfoStore) % 8;
  for (int n = 0; n <= Disc.TitleSetCount; ++n) {
    if (at + int64_t(images[n].size()) > kIfoStoreCapacity) return false;
    ASAN_UNPOISON_MEMORY_REGION(Disc.IfoStore + at, images[n].size());
    std::memcpy(Disc.IfoStore + at, images[n].data(), images[n].size());
    Disc.IfoOffset[n] = int32_t(at);
    at = ((at + images[n].size() + 7) & ~int64_t(7)) + 8;
  }
  return true;
}

// What get info's reader, the preview and both patches do with the disc as read.
void LookAndPatch(const Header& h) {
  if (!Spread()) return;
  PoisonVmgImageFrom(StoredVmgRef().size);
  RegistersUsedByDisc();
  static NavPreview preview;
  PreviewDisc(StoredVmgRef(), 0, &preview);
  for (int t = 0; t <= kMaxTitles; ++t) {
    TitleChain chain;
    if (FindTitleChain(StoredVmgRef(), t, &chain)) FirstPostCommand(VtsImageRef(chain.titleSet), chain.pgc);
  }
  DeriveActionsFromDisc(PrepareMenuTable());
  Choose(h);
  unsigned char command[8];
  for (int j = 0; j < Disc.TitleCount && j < kMaxTitles; ++j) EndCommandFor(j, command);
  PoisonVmgImageFrom(std::max<int64_t>(StoredVmgRef().size, PatchedVmgSize()));
  if (!PatchVideoManager()) return;
  PoisonVmgImageFrom(Disc.VmgSize);
  std::vector<std::pair<int, int64_t>> slots;  // title set, offset of each title's post command
  for (int j = 0; j < Disc.TitleCount && j < kMaxTitles; ++j) {
    TitleChain chain;
    int64_t at;
    if (WrittenPostSlot(VmgImageRef(), j, &chain, &at)) slots.emplace_back(chain.titleSet, at);
  }
  std::vector<Bytes> before;
  for (int n = 0; n <= Disc.TitleSetCount; ++n)
    before.emplace_back(VtsImage(n), VtsImage(n) + Disc.IfoSize[n]);
  PatchTitleSets();
  for (int n = 1; n <= Disc.TitleSetCount; ++n) {
    for (int64_t i = 0; i < Disc.IfoSize[n]; ++i) {
      bool field = (i >= 0x0C && i < 0x10) || (i >= 0x1C && i < 0x20) || (i >= 0xC0 && i < 0xC8);
      Require(VtsImage(n)[i] == before[n][i] || field ||
                  std::any_of(slots.begin(), slots.end(),
                              [&](auto& s) { return s.first == n && i >= s.second && i < s.second + 8; }),
              "the title set patch changes only sector fields and post commands");
    }
  }
  PreviewDisc(VmgImageRef(), 0, &preview);
  static PendingFile files[2 + 2 * kMaxTitleSets];
  static char names[2 + 2 * kMaxTitleSets][16];
  int count = CollectPatchedFiles(files, 2 + 2 * kMaxTitleSets, names);
  volatile unsigned sum = 0;  // every byte execute would write is read
  for (int k = 0; k < count; ++k)
    sum = std::accumulate(files[k].bytes, files[k].bytes + files[k].size, sum + 0u);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* value = std::getenv("FUZZ_TRACE");
  trace = value && *value && *value != '0';
  std::string pattern = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  host = mkdtemp(&(pattern += "/reelwrite-fuzz-XXXXXX")[0]);
  platform::MapDrive('C', host.c_str());
  platform::SetMessageBoxHandler(
      [](const char* text, const char*, int style, platform::Question, void*) {
        if (trace) std::fprintf(stderr, "message: %s\n", text);
        return (style & 0xF) == 4 ? 6 : 1;  // Yes to a question
      },
      nullptr);
  std::atexit([] { std::filesystem::remove_all(host); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  Header h;
  if (size < sizeof h) return 0;
  std::memcpy(&h, data, sizeof h);
  std::filesystem::remove_all(host);
  std::filesystem::create_directories(host + "/DISC");
  const int sets = std::min(1 + (h.flags & 3), 3);
  std::vector<Bytes> files(sets + 1);
  for (int i = 1, at = sizeof h; i <= sets + 1; ++i) {
    const int n = i % (sets + 1);  // VIDEO_TS.IFO last, so that a short input can stretch it
    files[n].resize(std::size_t(std::min(Sectors(h.ifo[n]), n ? 256 : 1100) * kSector));
    std::size_t given = std::min(files[n].size(), size - std::min<std::size_t>(at, size));
    std::copy_n(data + at, given, files[n].begin());
    at += int(given);
    for (const char* extension : {"IFO", "BUP"}) Write(Name(n, extension), files[n]);
    for (int k = 0; k < (n ? 2 : 1); ++k) {
      if (!Sectors(h.vob[n][k])) continue;
      Write(Name(n, "VOB", k), {});
      std::filesystem::resize_file(Name(n, "VOB", k), Sectors(h.vob[n][k]) * kSector);
    }
  }

  std::memset(&Disc, 0, offsetof(DiscState, VmgImage));
  Busy = 0;
  const int noMenu = (h.flags & kNoMenu) ? 1 : 0, random = (h.flags & kRandomPlay) ? 1 : 0;
  if (GetInfo("C:\\DISC", noMenu, random) != FolderRead) return 0;
  LookAndPatch(h);  // what it poisoned is whole again for the next input as well
  ASAN_UNPOISON_MEMORY_REGION(Disc.IfoStore, kIfoStoreCapacity);
  ASAN_UNPOISON_MEMORY_REGION(Disc.VmgImage, kVmgImageCapacity);
  Require(GetInfo("C:\\DISC", noMenu, random) == FolderRead, "a disc reads alike twice");
  Choose(h);
  if (Execute("C:\\DISC") != ExecuteSucceeded) {
    Require(Read(sets, "IFO") == files, "a refused execute changes nothing");
    return 0;
  }
  const std::vector<Bytes> written = Read(sets, "IFO");
  Require(written == Read(sets, "BUP"), "each BUP holds its IFO's bytes");
  Require(GetInfo("C:\\DISC", noMenu, random) == FolderRead, "a written disc reads back");
  if (h.flags & kReadBack) {
    Require(Execute("C:\\DISC") == ExecuteSucceeded, "a written disc can be written again");
    Require(Read(sets, "IFO") == written, "executing with the actions read back changes nothing");
  }
  Require(RestoreOriginalBackup("C:\\DISC"), "restore takes the backup");
  Require(Read(sets, "IFO") == files, "restore brings back every byte");
  return 0;
}
