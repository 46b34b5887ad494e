// Get info on discs made by dvdauthor reads the same titles libdvdread reads,
// and derives from each title's post command the action it stands for.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "actions/title_action.h"
#include "disc/disc_state.h"
#include "disc/get_info.h"
#include "disc/ifo_tables.h"
#include "platform/platform.h"
#include "tests/realdisc/disc_fixture.h"
#include "tests/unit/message_recorder.h"

namespace {

struct Derived {
  int kind;
  int menu;
};

// The action each post command found on the authored discs stands for.
Derived Expected(const ListedTitle& t) {
  static const struct {
    uint8_t post[8];
    Derived derived;
  } known[] = {
      {{0x30, 0x01, 0, 0, 0, 0, 0, 0}, {Stop, 0}},           // Exit
      {{0x30, 0x08, 0, 0, 0x01, 0x42, 0, 0}, {MenuPgc, 0}},  // CallSS video manager title menu
      {{0x30, 0x08, 0, 0, 0x01, 0x83, 0, 0}, {MenuPgc, 1}},  // CallSS root menu
  };
  if (!t.hasPost) return {Unchanged, 0};
  for (const auto& k : known) {
    if (std::memcmp(k.post, t.post, 8) == 0) return k.derived;
  }
  return {Command, 0};  // JumpVTS_TT and anything else the engine does not write
}

class DvdreadAgrees : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override { std::memset(&Disc, 0, sizeof Disc); }
};

TEST_P(DvdreadAgrees, TitleByTitleAndActionByPostCommand) {
  const std::string folder = AuthoredDisc(GetParam());
  DvdreadListing listing = DvdreadList(folder);
  ASSERT_EQ(listing.exit, 0) << listing.output;

  char drivePath[kPathCapacity];
  ASSERT_TRUE(platform::DrivePath(folder.c_str(), drivePath, sizeof drivePath));
  MessageRecorder messages;
  ASSERT_EQ(GetInfo(drivePath, 0, 0), FolderRead);
  EXPECT_TRUE(messages.messages().empty()) << messages.messages().front().text;

  ASSERT_EQ(Disc.TitleCount, static_cast<int>(listing.titles.size()));
  ImageRef vmg = StoredVmgRef();
  for (const ListedTitle& t : listing.titles) {
    SCOPED_TRACE("title " + std::to_string(t.title));
    const int n = t.title - 1;
    int64_t entry = TitleEntryOffset(vmg, n);
    ASSERT_GE(entry, 0);
    const uint8_t* e = vmg.data + entry;
    EXPECT_EQ(e[6], t.titleSet);
    EXPECT_EQ(e[7], t.titleInSet);
    EXPECT_EQ(e[1], t.angles);
    EXPECT_EQ(e[2] << 8 | e[3], t.chapters);

    const Derived expected = Expected(t);
    EXPECT_EQ(Disc.ActionKind[n], expected.kind);
    EXPECT_EQ(Disc.ActionMenu[n], expected.menu);
    const uint8_t none[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(std::memcmp(Disc.ActionCommand[n], t.hasPost ? t.post : none, 8), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(AuthoredDiscs, DvdreadAgrees,
                         ::testing::Values("sample", "nomenu", "menus2vts", "postcmds", "langunits"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param);
                         });

}  // namespace
