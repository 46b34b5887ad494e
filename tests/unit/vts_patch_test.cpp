#include "author/vts_patch.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "disc/byte_order.h"
#include "disc/disc_state.h"
#include "disc/ifo_tables.h"
#include "tests/unit/ifo_builder.h"

using namespace testdisc;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Image(int n) { return Bytes(VtsImage(n), VtsImage(n) + Disc.IfoSize[n]); }

// Loads the disc as get info would leave it for the patch (VmgImage a copy
// of VIDEO_TS.IFO) and spoils the title sets' sector fields in memory, so
// that only a recomputation puts them right.
BuiltDisc Load(const DiscSpec& layout) {
  std::memset(&Disc, 0, sizeof Disc);
  BuiltDisc disc = BuildDisc(layout);
  LoadDisc(disc);
  std::memcpy(Disc.VmgImage, Disc.IfoStore, std::size_t(Disc.IfoSize[0]));
  Disc.VmgSize = Disc.IfoSize[0];
  for (int n = 1; n <= Disc.TitleSetCount; ++n) {
    for (int field : {kVtsLastSector, kVtsIfoLastSector, kVtsMenuVobsSector, kVtsTitleVobsSector}) {
      WriteBe32(VtsImage(n) + field, 0x777);
    }
  }
  for (int j = 0; j < Disc.TitleCount; ++j) Disc.ActionKind[j] = Unchanged;
  return disc;
}

// Title set 1: title 1 with a pre-command and two post commands, title 2
// without post commands, title 3 without a command table; title set 2:
// titles 4 to 6 with one post command each.
DiscSpec TwoTitleSets() {
  DiscSpec d = SimpleDisc(2, 3);
  std::vector<Pgc>& set1 = d.titleSets[0].titlePgcs;
  set1[0].pre = {C("71 00 00 05 00 07 00 00")};
  set1[0].post.push_back(C("30 02 00 00 00 03 00 00"));
  set1[1].post.clear();
  set1[2].noCommandTable = true;
  d.titleSets[0].menuVobBytes = 5 * kSectorSize + 100;
  d.titleSets[0].titleVobBytes = {100 * kSectorSize, 50 * kSectorSize + 7};
  return d;
}

void SetSectorFields(Bytes& image, int ifoSectors, int menuSectors, int titleSectors) {
  WriteBe32(image.data() + kVtsLastSector, titleSectors + 2 * ifoSectors + menuSectors - 1);
  WriteBe32(image.data() + kVtsIfoLastSector, ifoSectors - 1);
  WriteBe32(image.data() + kVtsMenuVobsSector, menuSectors > 0 ? ifoSectors : 0);
  WriteBe32(image.data() + kVtsTitleVobsSector, ifoSectors + menuSectors);
}

TEST(VtsPatch, EachKindWritesItsCommandIntoTheFirstPostCommand) {
  struct Case {
    int kind, menu;
    const char* command;  // nullptr: the slot keeps its command
  } cases[] = {
      {JumpTitle, 0, "30 08 00 05 01 C0 00 00"},
      {Command, 0, "12 34 56 78 9A BC DE F0"},
      {MenuPgc, 0, "30 08 00 00 01 42 00 00"},
      {MenuPgc, 1, "30 08 00 00 01 83 00 00"},
      {MenuPgc, 2, "30 08 00 00 01 87 00 00"},
      {MenuPgc, 3, "30 08 00 00 01 85 00 00"},
      {MenuPgc, 4, "30 08 00 00 01 84 00 00"},
      {MenuPgc, 5, "30 08 00 00 01 86 00 00"},
      {MenuPgc, 6, "30 08 00 00 01 00 00 00"},
      {MenuPgc, 7, "30 08 00 01 01 C0 00 00"},
      {MenuPgc, 8, "30 08 00 02 01 C0 00 00"},
      {MenuPgc, 134, "30 08 00 80 01 C0 00 00"},
      {Stop, 0, "30 01 00 00 00 00 00 00"},
      {Repeat, 0, "30 05 00 01 00 03 00 00"},
      {Unchanged, 0, nullptr},
      {3, 0, nullptr},
      {4, 0, nullptr},
  };
  for (const Case& c : cases) {
    BuiltDisc disc = Load(TwoTitleSets());
    Disc.MenuPgcNumber = 5;
    const int j = 5;  // the third title of title set 2
    Disc.ActionKind[j] = c.kind;
    Disc.ActionMenu[j] = c.menu;
    std::memcpy(Disc.ActionCommand[j], C("12 34 56 78 9A BC DE F0").data(), 8);
    Cmd expected = c.command ? C(c.command) : C("30 02 00 00 00 01 00 00");

    uint8_t fromLookup[8];
    EXPECT_EQ(EndCommandFor(j, fromLookup), c.command != nullptr) << c.kind << "/" << c.menu;
    if (c.command) {
      EXPECT_EQ(Bytes(fromLookup, fromLookup + 8), Bytes(expected.begin(), expected.end()));
    }
    PatchTitleSets();
    const uint8_t* slot = VtsImage(2) + disc.vts[1].At("pgc 3 post");
    EXPECT_EQ(Bytes(slot, slot + 8), Bytes(expected.begin(), expected.end())) << c.kind << "/" << c.menu;
  }
}

TEST(VtsPatch, OnlyTheFirstPostCommandAndTheSectorFieldsChange) {
  BuiltDisc disc = Load(TwoTitleSets());
  for (int j = 0; j < 6; ++j) Disc.ActionKind[j] = Stop;
  PatchTitleSets();

  Bytes set1 = disc.vts[0].bytes;
  SetSectorFields(set1, int(set1.size() / kSectorSize), 5, 150);
  std::memcpy(set1.data() + disc.vts[0].At("pgc 1 post"), C("30 01 00 00 00 00 00 00").data(), 8);
  EXPECT_EQ(Image(1), set1);  // titles 2 and 3, and title 1's second post command, as they were

  Bytes set2 = disc.vts[1].bytes;
  SetSectorFields(set2, int(set2.size() / kSectorSize), 0, 0);
  for (const char* slot : {"pgc 1 post", "pgc 2 post", "pgc 3 post"}) {
    std::memcpy(set2.data() + disc.vts[1].At(slot), C("30 01 00 00 00 00 00 00").data(), 8);
  }
  EXPECT_EQ(Image(2), set2);

  uint8_t out[8];
  EXPECT_FALSE(EndCommandFor(1, out));  // no post command
  EXPECT_FALSE(EndCommandFor(2, out));  // no command table
}

TEST(VtsPatch, TitlesOutsideTheRangesLeaveTheirTitleSetsAlone) {
  DiscSpec layout = SimpleDisc(2, 1);
  layout.vmg.titles[1].titleInSet = 100;     // title set 2's only title
  layout.vmg.titles.push_back(Title{0, 1});  // no title set
  layout.vmg.titles.push_back(Title{3, 1});  // beyond the title sets
  layout.vmg.titleSetCount = 2;
  Load(layout);
  for (int j = 0; j < 4; ++j) Disc.ActionKind[j] = Stop;
  Bytes set2 = Image(2);
  PatchTitleSets();
  EXPECT_EQ(Image(2), set2);
  EXPECT_EQ(ReadBe32(VtsImage(1) + kVtsIfoLastSector), Disc.IfoSize[1] / kSectorSize - 1);
  uint8_t out[8];
  for (int j = 1; j < 4; ++j) EXPECT_FALSE(EndCommandFor(j, out)) << j;
}

}  // namespace
