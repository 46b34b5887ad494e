// What the rows' texts and menu choices become (the actions read back from
// discs: the real-disc apply matrix).
#include "actions/title_action.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "disc/disc_state.h"
#include "tests/unit/ifo_builder.h"

using testdisc::C;
using testdisc::Cmd;

TEST(TitleAction, TypedCommandsAndMenuChoices) {
  const std::pair<const char*, const char*> typed[] = {
      {" 3002 0000 0001 00ff ", "30 02 00 00 00 01 00 FF"},
      {"30 02 00 00 00 01 00 00 00", "00 00 00 00 00 00 00 00"},  // nine pairs are no command
  };
  for (const auto& [text, bytes] : typed) {
    std::memset(Disc.ActionCommand[4], 0xAA, 8);
    ParseCommandText(4, text);
    EXPECT_EQ(0, std::memcmp(Disc.ActionCommand[4], C(bytes).data(), 8)) << text;
  }
  Cmd firstPlay;
  MenuCommand(6, firstPlay.data());
  EXPECT_EQ(firstPlay, C("30 08 00 00 01 00 00 00"));
}
