// Damaged IFO images through everything the program does with them after
// reading: the disc check, and only for a disc it accepts the menu table,
// the action derivation, presets and options, both patches and the file set
// that execute would write. The pieces that run on any image (the register
// scan, the command decoder, the title lookups) run before the check.
//
// The images sit in IfoStore 8-byte aligned with a poisoned gap between
// them, and every byte of IfoStore, and of VmgImage past the image's size,
// that belongs to no image is poisoned: a read that leaves its image is
// reported even though it stays inside DiscState.
//
// Beyond memory, the patches' promises are checked (see Promise below): the
// title table and the tables behind the menu table keep their bytes, the
// title set patch changes only sector fields and post commands, and a
// patched disc reads back, and patched again gives the same files.
#include <sanitizer/asan_interface.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "actions/presets.h"
#include "actions/title_action.h"
#include "author/file_set_writer.h"
#include "author/vmg_patch.h"
#include "author/vts_patch.h"
#include "disc/byte_order.h"
#include "disc/command_decoder.h"
#include "disc/disc_check.h"
#include "disc/disc_state.h"
#include "disc/ifo_tables.h"
#include "disc/menu_table.h"
#include "disc/nav_vm.h"
#include "disc/title_chain.h"
#include "platform/platform.h"
#include "tests/fuzz/disc_input.h"

namespace {

constexpr std::size_t kMinIfoSize = 4096;
constexpr std::size_t kGap = 8;
const char kEditFolder[] = "C:\\DISC\\";

// IFO_FUZZER_TRACE=1 prints each message and how far an input got, to see
// what a seed or a crash reaches.
bool trace = false;

int Silent(const char* text, const char*, int style, void*) {
  if (trace) std::fprintf(stderr, "message: %s\n", text);
  return (style & 0xF) == 4 ? 6 : 1;
}

void Reached(const char* stage) {
  if (trace)
    std::fprintf(stderr, "reached: %s (titles %d, title sets %d)\n", stage, Disc.TitleCount,
                 Disc.TitleSetCount);
}

std::size_t AlignUp(std::size_t n) { return (n + 7) & ~std::size_t(7); }

// The high-water marks of what an earlier input wrote, cleared before the next.
std::size_t storeUsed = 0;
std::size_t vmgUsed = 0;

void PoisonVmgImageFrom(int64_t size) {
  std::size_t from = std::size_t(std::clamp<int64_t>(size, 0, kVmgImageCapacity));
  ASAN_UNPOISON_MEMORY_REGION(Disc.VmgImage, from);
  ASAN_POISON_MEMORY_REGION(Disc.VmgImage + from, kVmgImageCapacity - from);
  vmgUsed = std::max(vmgUsed, from);
}

void ResetDisc() {
  ASAN_UNPOISON_MEMORY_REGION(Disc.IfoStore, kIfoStoreCapacity);
  ASAN_UNPOISON_MEMORY_REGION(Disc.VmgImage, kVmgImageCapacity);
  std::memset(&Disc, 0, offsetof(DiscState, VmgImage));
  std::memset(Disc.VmgImage, 0, vmgUsed);
  std::memset(Disc.IfoStore, 0, storeUsed);
  std::memset(Disc.ProjectPath, 0, sizeof Disc - offsetof(DiscState, ProjectPath));
  storeUsed = vmgUsed = 0;
  std::memcpy(Disc.EditFolder, kEditFolder, sizeof kEditFolder);
}

// Places the images as reading would, each at an 8-byte aligned address with
// a poisoned gap behind it; sets the counts, sizes and VOB measures. False
// when they do not fit IfoStore (reading would have refused the folder).
bool LoadImages(const std::vector<std::vector<uint8_t>>& images, const fuzzdisc::Input& in) {
  std::size_t at = (8 - reinterpret_cast<uintptr_t>(Disc.IfoStore) % 8) % 8;
  for (std::size_t n = 0; n < images.size(); ++n) {
    std::size_t size = std::max(images[n].size(), kMinIfoSize);
    if (n == 0) size = std::max(size, std::size_t(in.vmgSize64k) << 16);
    if (size > kIfoStoreCapacity - at) return false;
    if (!images[n].empty()) std::memcpy(Disc.IfoStore + at, images[n].data(), images[n].size());
    storeUsed = at + size;
    Disc.IfoOffset[n] = int32_t(at);
    Disc.IfoSize[n] = int32_t(size);
    at = std::min<std::size_t>(AlignUp(at + size) + kGap, kIfoStoreCapacity);
  }
  for (std::size_t n = 0; n < images.size(); ++n) {
    std::size_t end = std::size_t(Disc.IfoOffset[n] + Disc.IfoSize[n]);
    std::size_t next = n + 1 < images.size() ? std::size_t(Disc.IfoOffset[n + 1]) : kIfoStoreCapacity;
    ASAN_POISON_MEMORY_REGION(Disc.IfoStore + end, next - end);
  }
  ASAN_POISON_MEMORY_REGION(Disc.IfoStore, std::size_t(Disc.IfoOffset[0]));

  Disc.TitleSetCount = int32_t(images.size() - 1);
  Disc.MenuVobSize[0] = int32_t(uint32_t(in.vmgMenuVob64k) << 16);
  int64_t infoBytes = int64_t(uint32_t(Disc.MenuVobSize[0])) + 2 * int64_t(Disc.IfoSize[0]);
  int64_t infoSectors = infoBytes / kSectorSize;
  for (int n = 1; n <= Disc.TitleSetCount; ++n) {
    int k = std::min(n - 1, fuzzdisc::kMaxTitleSetImages - 1);
    int32_t sectors = int32_t(in.titleVobSectors256[k]) * 256;
    Disc.MenuVobSize[n] = int32_t(uint32_t(in.menuVob64k[k]) << 16);
    Disc.VobSectors[10 * n + 1] = sectors;
    Disc.TitleVobSectors[n] = sectors;
    Disc.TitleVobCount[n - 1] = sectors > 0 ? 1 : 0;
    if (n + 1 <= kMaxTitleSets) Disc.TitleVobBase[n + 1] = Disc.TitleVobBase[n] + sectors;
    infoSectors += 2 * int64_t(Disc.IfoSize[n]) / kSectorSize;
  }
  Disc.TitleVobSectors[0] = int32_t(infoSectors);

  // As reading ends: the count through the checked lookup.
  ImageRef vmg = StoredVmgRef();
  int64_t titles = TableOffset(vmg, kVmgTtSrptSector);
  Disc.TitleCount = titles < 0 ? 0 : ReadBe16(vmg.data + titles);
  return true;
}

void DescribeEveryCommand(ImageRef image) {
  char text[96];
  for (int64_t at = 0; at + 8 <= image.size; at += 8) {
    DescribeCommand(image.data + at, text, sizeof text);
    RegistersNamed(image.data + at);
  }
}

// What may run on any image: it must stay inside the images whatever they hold.
void RunUnchecked() {
  RegistersUsedByDisc();
  static NavPreview preview;
  PreviewDisc(StoredVmgRef(), 0, &preview);
  // The command decoder over the first sectors of each image, where the
  // tables that hold commands usually start.
  for (int n = 0; n <= Disc.TitleSetCount; ++n) {
    ImageRef image = n == 0 ? StoredVmgRef() : VtsImageRef(n);
    DescribeEveryCommand({image.data, std::min<int64_t>(image.size, 4 * kSectorSize)});
  }
  for (int t = 0; t < kMaxTitles + 1; ++t) {
    TitleChain chain;
    if (FindTitleChain(StoredVmgRef(), t, &chain)) FirstPostCommand(VtsImageRef(chain.titleSet), chain.pgc);
  }
  DeriveActionsFromDisc();
}

void ChooseActions(const fuzzdisc::Input& in) {
  Disc.NoMenu = (in.flags & fuzzdisc::kNoMenu) ? 1 : 0;
  Disc.RandomPlay = (in.flags & fuzzdisc::kRandomPlay) ? 1 : 0;
  if (in.flags & fuzzdisc::kApplyPreset) {
    Disc.PresetIndex = in.presetIndex;
    ApplyBatchPreset();
  }
  if (in.flags & fuzzdisc::kSetRegister) Disc.MenuRegister = in.menuRegister;
  if (!(in.flags & fuzzdisc::kTitleActionsGiven)) return;
  static const int32_t kKinds[8] = {JumpTitle, Command, MenuPgc, Stop, Repeat, Unchanged, 3, 4};
  int titles = std::min(Disc.TitleCount, fuzzdisc::kTitleActions);
  for (int j = 0; j < titles; ++j) {
    const fuzzdisc::TitleChoice& choice = in.titles[j];
    Disc.ActionKind[j] = kKinds[choice.kind % 8];
    Disc.ActionTarget[j] = choice.parameter % Disc.TitleCount;
    Disc.ActionMenu[j] = choice.parameter % kMenuChoiceCount;
    char text[24];
    FormatCommandText(in.command, text);
    text[0] = char("0123456789ABCDEF"[j]);  // a different command per title
    ParseCommandText(j, text);
  }
}

// Every byte execute would write is read once: a file that reaches past its
// image is reported here.
int CollectAndTouch() {
  static PendingFile files[2 + 2 * kMaxTitleSets];
  static char names[2 + 2 * kMaxTitleSets][16];
  int count = CollectPatchedFiles(files, 2 + 2 * kMaxTitleSets, names);
  unsigned sum = 0;
  for (int k = 0; k < count; ++k) {
    for (int64_t i = 0; i < files[k].size; ++i) sum += files[k].bytes[i];
  }
  volatile unsigned sink = sum;
  (void)sink;
  return count;
}

// What the patches promise beyond staying inside their buffers. A broken
// promise aborts, except with IFO_FUZZER_LENIENT=1 (then trace shows it).
bool lenient = false;

void Promise(bool kept, const char* what) {
  if (kept) return;
  if (trace || !lenient) std::fprintf(stderr, "broken promise: %s\n", what);
  if (!lenient) std::abort();
}

// Every title's entry says the same after the video manager patch, wherever
// the title table now is (only the start sector, bytes 8-11, is new), and
// every table that follows the menu table still holds its own bytes.
void CheckTablesFollowed() {
  ImageRef before = StoredVmgRef(), after = VmgImageRef();
  for (int field : kVmgFollowingTables) {
    int64_t from = int64_t(ReadBe32(before.data + field)) * kSectorSize;
    int64_t to = int64_t(ReadBe32(after.data + field)) * kSectorSize;
    int64_t length = std::min<int64_t>(kSectorSize, before.size - from);
    if (from <= 0 || length <= 0) continue;
    Promise(
        SpanInside(after.size, to, length) && std::memcmp(before.data + from, after.data + to, length) == 0,
        "the video manager patch keeps every following table's bytes under its field");
  }
  for (int j = 0; j < Disc.TitleCount; ++j) {
    int64_t a = TitleEntryOffset(before, j), b = TitleEntryOffset(after, j);
    Promise(a >= 0 && b >= 0 && std::memcmp(before.data + a, after.data + b, 8) == 0,
            "the video manager patch keeps every title's entry");
  }
}

// The title set patch changes the four sector fields and the first post
// command of titles with an action; each such slot ends with the command of
// the last title that names it.
struct Slot {
  int titleSet;
  int64_t at;
  uint8_t command[8];
};

std::vector<Slot> PlannedSlots() {
  std::vector<Slot> slots;
  for (int j = 0; j < Disc.TitleCount && j < kMaxTitles; ++j) {
    Slot slot{};
    TitleChain chain;
    if (!FindTitleChain(VmgImageRef(), j, &chain) || !EndCommandFor(j, slot.command)) continue;
    slot.titleSet = chain.titleSet;
    slot.at = FirstPostCommand(VtsImageRef(chain.titleSet), chain.pgc);
    slots.push_back(slot);
  }
  return slots;
}

void CheckTitleSetPatch(const std::vector<std::vector<uint8_t>>& before, const std::vector<Slot>& slots) {
  for (int n = 1; n <= Disc.TitleSetCount; ++n) {
    const uint8_t* now = VtsImage(n);
    for (int64_t i = 0; i < Disc.IfoSize[n]; ++i) {
      if (now[i] == before[n][i]) continue;
      bool field = (i >= 0x0C && i < 0x10) || (i >= 0x1C && i < 0x20) || (i >= 0xC0 && i < 0xC8);
      bool slot = std::any_of(slots.begin(), slots.end(),
                              [&](const Slot& s) { return s.titleSet == n && i >= s.at && i < s.at + 8; });
      Promise(field || slot, "the title set patch changes only sector fields and post commands");
    }
  }
  for (std::size_t k = 0; k < slots.size(); ++k) {
    const Slot& s = slots[k];
    bool overlapped = std::any_of(slots.begin(), slots.end(), [&](const Slot& o) {
      return &o != &s && o.titleSet == s.titleSet && o.at != s.at && o.at < s.at + 8 && s.at < o.at + 8;
    });
    bool last = std::none_of(slots.begin() + std::ptrdiff_t(k) + 1, slots.end(),
                             [&](const Slot& o) { return o.titleSet == s.titleSet && o.at == s.at; });
    if (!overlapped && last) {
      Promise(std::memcmp(VtsImage(s.titleSet) + s.at, s.command, 8) == 0,
              "each title's first post command is the one its action stands for");
    }
  }
}

// The program after a successful read: get info's preparation, the user's
// choices, and execute's patches. Returns false when the patch refused.
bool RunAccepted(const fuzzdisc::Input& in, bool chooseActions) {
  PoisonVmgImageFrom(StoredVmgRef().size);
  PrepareMenuTable();
  RegistersUsedByDisc();
  if (chooseActions) {
    ChooseActions(in);
  } else {
    Disc.NoMenu = (in.flags & fuzzdisc::kNoMenu) ? 1 : 0;
    Disc.RandomPlay = (in.flags & fuzzdisc::kRandomPlay) ? 1 : 0;
  }
  unsigned char command[8];
  for (int j = 0; j < Disc.TitleCount && j < kMaxTitles; ++j) EndCommandFor(j, command);

  long long patched = PatchedVmgSize();
  PoisonVmgImageFrom(std::max<long long>(StoredVmgRef().size, patched));
  if (!PatchVideoManager()) {
    Reached(patched < 0 ? "patch refused: no place for the menu table"
                        : "patch refused: placed, but refused");
    return false;
  }
  Reached("patched video manager");
  PoisonVmgImageFrom(Disc.VmgSize);
  CheckTablesFollowed();

  std::vector<std::vector<uint8_t>> before(1);
  for (int n = 1; n <= Disc.TitleSetCount; ++n)
    before.emplace_back(VtsImage(n), VtsImage(n) + Disc.IfoSize[n]);
  std::vector<Slot> slots = PlannedSlots();
  PatchTitleSets();
  CheckTitleSetPatch(before, slots);
  static NavPreview preview;
  PreviewDisc(VmgImageRef(), 0, &preview);
  int files = CollectAndTouch();
  Reached(files >= 0 ? "collected the files" : "refused to collect the files");
  return files >= 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  platform::SetMessageBoxHandler(Silent, nullptr);
  const char* value = std::getenv("IFO_FUZZER_TRACE");
  trace = value && *value && *value != '0';
  value = std::getenv("IFO_FUZZER_LENIENT");
  lenient = value && *value && *value != '0';
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  fuzzdisc::Input in;
  if (!fuzzdisc::Decode(data, size, &in)) return 0;
  ResetDisc();
  if (!LoadImages(in.images, in)) return 0;
  RunUnchecked();
  if (!CheckDiscTables()) return 0;
  Reached("checked");
  if (!RunAccepted(in, true)) return 0;
  if (!(in.flags & fuzzdisc::kReadBack)) return 0;

  // The patched disc as the next get info would read it: accepted, and
  // patched again with the actions it reads back, the same bytes.
  std::vector<std::vector<uint8_t>> written;
  written.emplace_back(Disc.VmgImage, Disc.VmgImage + Disc.VmgSize);
  for (int n = 1; n <= Disc.TitleSetCount; ++n)
    written.emplace_back(VtsImage(n), VtsImage(n) + Disc.IfoSize[n]);
  ResetDisc();
  if (!LoadImages(written, in)) return 0;
  RunUnchecked();
  bool accepted = CheckDiscTables();
  Promise(accepted, "a patched disc reads back");
  if (!accepted) return 0;
  Reached("read back and checked");
  bool again = RunAccepted(in, false);
  Promise(again, "a patched disc can be patched again");
  if (!again) return 0;
  if (trace) {
    std::size_t common = std::min<std::size_t>(written[0].size(), std::size_t(Disc.VmgSize));
    for (std::size_t i = 0; i < common; ++i) {
      if (Disc.VmgImage[i] != written[0][i])
        std::fprintf(stderr, "VIDEO_TS.IFO differs at 0x%zx: %02X then %02X\n", i, written[0][i],
                     Disc.VmgImage[i]);
    }
  }
  Promise(Disc.VmgSize == int64_t(written[0].size()) &&
              std::memcmp(Disc.VmgImage, written[0].data(), written[0].size()) == 0,
          "patching a patched disc again with the actions it reads back gives the same VIDEO_TS.IFO");
  for (int n = 1; n <= Disc.TitleSetCount; ++n) {
    Promise(std::memcmp(VtsImage(n), written[n].data(), written[n].size()) == 0,
            "patching a patched disc again with the actions it reads back gives the same VTS_nn_0.IFO");
  }
  return 0;
}
