// Damaged IFO images through what the program does with them after reading:
// what runs on any image (register scan, title lookups, preview), then, for
// a disc the check accepts, the menu table, the choices, both patches and the
// file set execute would write. Beyond memory, the
// patches keep their promises: the title table and the tables behind the menu
// table keep their bytes, the title set patch changes only sector fields and
// post commands, and a patched disc reads back and patches again alike.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "actions/title_action.h"
#include "author/vmg_patch.h"
#include "author/vts_patch.h"
#include "author/written_parts.h"
#include "disc/byte_order.h"
#include "disc/command_decoder.h"
#include "disc/disc_check.h"
#include "disc/disc_state.h"
#include "disc/ifo_tables.h"
#include "disc/menu_table.h"
#include "disc/nav_vm.h"
#include "disc/title_chain.h"
#include "tests/fuzz/fuzz_driver.h"

namespace {

using Images = std::vector<std::vector<uint8_t>>;

void Reached(const char* stage) {
  if (fuzz::trace) std::fprintf(stderr, "reached: %s (titles %d)\n", stage, Disc.TitleCount);
}

void RunUnchecked() {
  RegistersUsedByDisc();
  static NavPreview preview;
  PreviewDisc(StoredVmgRef(), 0, &preview);
  for (int t = 0; t <= kMaxTitles; ++t) {
    TitleChain chain;
    if (FindTitleChain(StoredVmgRef(), t, &chain)) FirstPostCommand(VtsImageRef(chain.titleSet), chain.pgc);
  }
  DeriveActionsFromDisc(Disc.MenuPgcNumber);
}

// Every title's entry says the same, wherever the title table now is, and
// every table behind the menu table keeps its bytes.
void CheckTablesFollowed() {
  ImageRef before = StoredVmgRef(), after = VmgImageRef();
  for (int field : kVmgFollowingTables) {
    int64_t from = int64_t(ReadBe32(before.data + field)) * kSectorSize;
    int64_t to = int64_t(ReadBe32(after.data + field)) * kSectorSize;
    int64_t length = std::min<int64_t>(kSectorSize, before.size - from);
    if (from <= 0 || length <= 0) continue;
    fuzz::Require(
        SpanInside(after.size, to, length) && std::memcmp(before.data + from, after.data + to, length) == 0,
        "the video manager patch keeps every following table's bytes under its field");
  }
  for (int j = 0; j < Disc.TitleCount; ++j) {
    int64_t a = TitleEntryOffset(before, j), b = TitleEntryOffset(after, j);
    fuzz::Require(a >= 0 && b >= 0 && std::memcmp(before.data + a, after.data + b, 8) == 0,
                  "the video manager patch keeps every title's entry");
  }
}

// The slot of a title's end, as the patch will write it.
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
    if (!WrittenPostSlot(VmgImageRef(), j, &chain, &slot.at) || !EndCommandFor(j, slot.command)) continue;
    slot.titleSet = chain.titleSet;
    slots.push_back(slot);
  }
  return slots;
}

// Only the four sector fields and the slots change; a slot no other overlaps
// ends with the command of the last title naming it.
void CheckTitleSetPatch(const Images& before, const std::vector<Slot>& slots) {
  for (int n = 1; n <= Disc.TitleSetCount; ++n) {
    for (int64_t i = 0; i < Disc.IfoSize[n]; ++i) {
      if (VtsImage(n)[i] == before[n][i]) continue;
      bool field = (i >= 0x0C && i < 0x10) || (i >= 0x1C && i < 0x20) || (i >= 0xC0 && i < 0xC8);
      bool slot = std::any_of(slots.begin(), slots.end(),
                              [&](const Slot& s) { return s.titleSet == n && i >= s.at && i < s.at + 8; });
      fuzz::Require(field || slot, "the title set patch changes only sector fields and post commands");
    }
  }
  for (auto s = slots.begin(); s != slots.end(); ++s) {
    bool overlapped = std::any_of(slots.begin(), slots.end(), [&](const Slot& o) {
      return o.titleSet == s->titleSet && o.at != s->at && o.at < s->at + 8 && s->at < o.at + 8;
    });
    bool last = std::none_of(s + 1, slots.end(),
                             [&](const Slot& o) { return o.titleSet == s->titleSet && o.at == s->at; });
    fuzz::Require(overlapped || !last || std::memcmp(VtsImage(s->titleSet) + s->at, s->command, 8) == 0,
                  "each title's first post command is the one its action stands for");
  }
}

Images TitleSetImages() {
  Images images(1);
  for (int n = 1; n <= Disc.TitleSetCount; ++n)
    images.emplace_back(VtsImage(n), VtsImage(n) + Disc.IfoSize[n]);
  return images;
}

// Get info's preparation, the choices (or, read back, only the options) and
// execute's patches. False when the patch refused.
bool RunAccepted(const fuzz::Header& h, bool choose) {
  fuzz::PoisonVmgImageFrom(StoredVmgRef().size);
  DeriveActionsFromDisc(PrepareMenuTable());
  RegistersUsedByDisc();
  fuzz::Header options{};  // read back: only the options
  options.flags = h.flags & (fuzz::kNoMenu | fuzz::kRandomPlay);
  fuzz::ChooseActions(choose ? h : options);
  unsigned char command[8];
  for (int j = 0; j < Disc.TitleCount && j < kMaxTitles; ++j) EndCommandFor(j, command);

  fuzz::PoisonVmgImageFrom(std::max<long long>(StoredVmgRef().size, PatchedVmgSize()));
  if (!PatchVideoManager()) return false;
  Reached("patched video manager");
  fuzz::PoisonVmgImageFrom(Disc.VmgSize);
  CheckTablesFollowed();
  Images before = TitleSetImages();
  std::vector<Slot> slots = PlannedSlots();
  PatchTitleSets();
  CheckTitleSetPatch(before, slots);
  static NavPreview preview;
  PreviewDisc(VmgImageRef(), 0, &preview);
  return fuzz::TouchPatchedFiles() >= 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::Init();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  fuzz::Input in;
  if (!fuzz::Decode(data, size, &in) || !fuzz::LoadImages(in.images, in.header)) return 0;
  RunUnchecked();
  if (!CheckDiscTables()) return 0;
  Reached("checked");
  if (!RunAccepted(in.header, true) || !(in.header.flags & fuzz::kReadBack)) return 0;

  // As the next get info reads it: accepted, and patched again with the
  // actions it reads back, the same bytes.
  Images written = TitleSetImages();
  written[0].assign(Disc.VmgImage, Disc.VmgImage + Disc.VmgSize);
  if (!fuzz::LoadImages(written, in.header)) return 0;
  RunUnchecked();
  fuzz::Require(CheckDiscTables(), "a patched disc reads back");
  fuzz::Require(RunAccepted(in.header, false), "a patched disc can be patched again");
  Images again = TitleSetImages();
  again[0].assign(Disc.VmgImage, Disc.VmgImage + Disc.VmgSize);
  fuzz::Require(again == written,
                "patching a patched disc again with the actions it reads back gives the same files");
  return 0;
}
