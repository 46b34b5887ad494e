// Get info on discs made by dvdauthor reads the same titles libdvdread reads,
// and derives from each title's post command the action it stands for.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "actions/title_action.h"
#include "disc/disc_state.h"
#include "disc/get_info.h"
#include "disc/ifo_tables.h"
#include "platform/platform.h"
#include "tests/realdisc/disc_fixture.h"
#include "tests/unit/message_recorder.h"

namespace {

TEST(DvdreadAgrees, TitleByTitleAndActionByPostCommand) {
  // Each title's action and menu, from the post commands scripts/make_disc
  // writes: a jump to a title is one the engine does not write itself, and
  // title 4 of postcmds has no post command.
  const struct {
    const char* name;
    std::vector<std::pair<int, int>> actions;
  } layouts[] = {
      {"sample", {{Command, 0}, {Command, 0}, {MenuPgc, 0}}},
      {"nomenu", {{Stop, 0}, {Stop, 0}, {Stop, 0}}},
      {"menus2vts", {{Command, 0}, {MenuPgc, 1}, {Stop, 0}}},
      {"postcmds", {{Command, 0}, {MenuPgc, 0}, {Stop, 0}, {Unchanged, 0}}},
      {"langunits", {{Command, 0}, {Command, 0}, {Stop, 0}}},
  };
  for (const auto& layout : layouts) {
    SCOPED_TRACE(layout.name);
    std::memset(&Disc, 0, sizeof Disc);
    const std::string folder = AuthoredDisc(layout.name);
    DvdreadListing listing = DvdreadList(folder);
    ASSERT_EQ(listing.exit, 0) << listing.output;
    ASSERT_EQ(listing.titles.size(), layout.actions.size()) << listing.output;

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
      const int64_t entry = TitleEntryOffset(vmg, n);
      ASSERT_GE(entry, 0);
      const uint8_t* e = vmg.data + entry;
      EXPECT_EQ(e[6], t.titleSet);
      EXPECT_EQ(e[7], t.titleInSet);
      EXPECT_EQ(e[1], t.angles);
      EXPECT_EQ(e[2] << 8 | e[3], t.chapters);
      char command[24];
      FormatCommandText(Disc.ActionCommand[n], command);
      EXPECT_EQ(command, t.post);
      EXPECT_EQ(Disc.ActionKind[n], layout.actions[n].first);
      EXPECT_EQ(Disc.ActionMenu[n], layout.actions[n].second);
    }
  }
}

}  // namespace
