// `reelwrite apply` on every authored disc with every preset, the two options
// and a hand-made map: libdvdread still opens every file, each BUP holds its
// IFO's bytes, the disc reads back with the actions that were asked for, our
// preview agrees with libdvdnav on where each title goes, and applying the
// same settings again changes nothing. The first apply keeps the information
// files as they were in ORIGINAL_IFO, the second leaves that copy alone, and
// restore brings every file back. Before that, info reads each title's
// action from the post commands scripts/make_disc wrote, and the preview
// agrees as authored and with ends players fault on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/realdisc/disc_fixture.h"

namespace {

struct Want {
  std::string action;
  int menu = 0, target = 0;
};

// The post command each end action is written as.
std::string PostFor(const Want& w, int dispatcher, int titleInSet) {
  char text[24] = "FF FF FF FF FF FF FF FF";
  if (w.action == "jump")
    std::snprintf(text, sizeof text, "30 08 %02X %02X 01 C0 00 00", dispatcher >> 8, dispatcher & 255);
  if (w.action == "menu") std::snprintf(text, sizeof text, "30 08 00 00 01 %s 00 00", w.menu ? "83" : "42");
  if (w.action == "repeat") std::snprintf(text, sizeof text, "30 05 00 01 00 %02X 00 00", titleInSet);
  return w.action == "stop" ? "30 01 00 00 00 00 00 00" : text;
}

struct DiscCase {
  const char* name;
  int titleSets;
  int freeRegister;    // the pair none of the disc's commands touches
  int dispatcher;      // its program chain number in every menu language unit
  const char* asRead;  // each title's "action:menu" as authored; a jump is one we do not write
  std::vector<std::string> langs = {""};  // menu languages to preview in
};

const DiscCase kDiscs[] = {
    {"sample", 1, 0, 2, "command:0 command:0 menu:0"},
    {"nomenu", 1, 0, 1, "stop:0 stop:0 stop:0"},
    {"menus2vts", 2, 3, 2, "command:0 menu:1 stop:0"},  // the disc's menus use g1 and g2
    // g1; title 4's chain has a command table without a post command: it
    // gets one.
    {"postcmds", 1, 2, 2, "command:0 menu:0 stop:0 unchanged:0"},
    // behind the three chains of the longer unit
    {"langunits", 1, 0, 4, "command:0 command:0 stop:0", {"en", "fr"}},
};

// A preset sends each title on to the next title, and the last to title 1,
// whatever kind of action it gives them.
struct Setting {
  std::vector<std::string> args;
  Want middle, last;
  int menuRegister = -1;          // -1: the disc's free pair
  std::vector<Want> titles = {};  // when set, what each title gets instead
};

const Setting kSettings[] = {
    {{"--preset", "0"}, {"jump"}, {"menu"}},
    {{"--preset", "1"}, {"jump"}, {"menu", 1}},
    {{"--preset", "2"}, {"jump"}, {"stop"}},
    {{"--preset", "3"}, {"jump"}, {"jump"}},
    {{"--preset", "4"}, {"menu"}, {"menu"}},
    {{"--preset", "5"}, {"menu", 1}, {"menu", 1}},
    {{"--preset", "6"}, {"stop"}, {"stop"}},
    {{"--preset", "7"}, {"repeat"}, {"repeat"}},
    {{"--preset", "3", "--no-menu"}, {"jump"}, {"jump"}},
    {{"--preset", "3", "--random"}, {"jump"}, {"jump"}},
    // Without a preset, destinations stay as get info found them: title 2
    // keeps its own number, title 4 (unchanged) title 1.
    // clang-format off
    {{"--title", "1=jump:3", "--title", "3=jump:2", "--title", "2=stop", "--register", "5"}, {}, {}, 5,
     {{"jump", 0, 3}, {"stop", 0, 2}, {"jump", 0, 2}, {"unchanged", 0, 1}}},
    // clang-format on
};

void PrintTo(const DiscCase& d, std::ostream* os) { *os << d.name; }  // names the CTest cases

class ApplyMatrix : public ::testing::TestWithParam<DiscCase> {};

TEST_P(ApplyMatrix, FilesParseBackupsMatchActionsReadBackAndARepeatChangesNothing) {
  const DiscCase& disc = GetParam();
  ProgramRun read = Reelwrite({"info", AuthoredDisc(disc.name), "--json"});
  ASSERT_EQ(read.exit, 0) << read.err;
  std::string actions;  // each title's "action:menu", blank-separated
  for (std::size_t at = 0; (at = read.out.find("\"action\": ", at)) != std::string::npos; ++at) {
    char action[16] = "";
    int menu = -1;
    std::sscanf(&read.out[at], R"("action": "%15[^"]", "target": %*d, "command": "%*[^"]", "menu": %d)",
                action, &menu);
    actions += (actions.empty() ? "" : " ") + std::string(action) + ":" + std::to_string(menu);
  }
  EXPECT_EQ(actions, disc.asRead) << read.out;
  const FolderFiles original = ReadFolder(AuthoredDisc(disc.name));
  // Faults: JumpTT from the title domain, a call to a menu no disc here has.
  for (const Names& args : {Names{}, Names{"--no-menu"},
                            Names{"--title", "1=command:30 02 00 00 00 02 00 00", "--title",
                                  "2=command:30 08 00 00 01 87 00 00"}}) {
    TempFolder folder;
    const std::string copy = CopyOfDisc(folder, disc.name);
    EXPECT_EQ(args.empty() ? 0 : Reelwrite({"apply", copy, "--yes"}, args).exit, 0);
    for (const std::string& lang : disc.langs) ExpectPreviewAgrees(copy, lang);
  }
  for (const Setting& setting : kSettings) {
    SCOPED_TRACE(::testing::PrintToString(setting.args));
    TempFolder folder;
    const std::string copy = CopyOfDisc(folder, disc.name);
    const std::string backup = folder.HostName("ORIGINAL_IFO");
    // The disc's root folder stands for its VIDEO_TS.
    const Names apply = {"apply", folder.host(), "--yes", "--json"};
    // No pair the disc's commands use is ever chosen, nor the dispatcher's
    // own on the second run.
    ProgramRun run = Reelwrite(apply, setting.args);
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(run.err.find("own commands use"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("using the folder " + copy), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("kept in " + backup), std::string::npos) << run.err;

    const ProgramRun listing = RunProgram({"dvdread_list", copy});
    EXPECT_EQ(listing.exit, 0) << listing.out << listing.err;
    const FolderFiles written = ReadFolder(copy, true);
    EXPECT_EQ(written.size(), 2u * unsigned(disc.titleSets + 1));
    for (const auto& [name, bytes] : written)
      EXPECT_TRUE(bytes == written.at(name.substr(0, name.size() - 3) + "IFO"))
          << name << " differs from its IFO";

    ProgramRun info = Reelwrite({"info", copy, "--json"});
    ASSERT_EQ(info.exit, 0) << info.err;
    // apply --json describes the disc it leaves; its warnings are the change's.
    EXPECT_EQ(run.out.substr(0, run.out.find("\"warnings\"")),
              info.out.substr(0, info.out.find("\"warnings\"")));
    const int count = int(std::count(disc.asRead, disc.asRead + std::strlen(disc.asRead), ' ')) + 1;
    const std::string& option = setting.args.back();
    const char* firstPlay = option == "--no-menu" ? "no_menu" : option == "--random" ? "random" : "disc";
    char head[160];
    std::snprintf(head, sizeof head,
                  R"("title_count": %d, "title_set_count": %d, "menu_register": %d, "menu_pgc_number": %d, )"
                  R"("first_play": "%s")",
                  count, disc.titleSets, setting.menuRegister >= 0 ? setting.menuRegister : disc.freeRegister,
                  disc.dispatcher, firstPlay);
    EXPECT_NE(info.out.find(head), std::string::npos) << head << " not in\n" << info.out;
    int listed = 0;
    for (std::size_t at = 0; (at = listing.out.find("\ntitle ", at)) != std::string::npos; ++at, ++listed) {
      int t, set, inSet, angles, chapters;
      char hex[17] = {};
      ASSERT_EQ(std::sscanf(&listing.out[at], "\ntitle %d vts %d ttn %d angles %d chapters %d post %16s", &t,
                            &set, &inSet, &angles, &chapters, hex),
                6);
      std::string seen;  // what libdvdread sees, as info prints it
      for (int i = 0; i < 16; i += 2)
        seen += (i ? " " : "") + (hex[0] == 'n' ? "FF" : std::string(hex + i, 2));
      Want want =
          setting.titles.empty() ? (t == count ? setting.last : setting.middle) : setting.titles[t - 1];
      if (setting.titles.empty()) want.target = t == count ? 1 : t + 1;
      const std::string post = PostFor(want, disc.dispatcher, inSet);
      EXPECT_EQ(seen, post) << "title " << t;
      char object[256];
      std::snprintf(object, sizeof object,
                    "{\"title\": %d, \"title_set\": %d, \"title_in_set\": %d, \"angles\": %d, \"chapters\": "
                    "%d, \"action\": \"%s\", \"target\": %d, \"command\": \"%s\", \"menu\": %d, ",
                    t, set, inSet, angles, chapters, want.action.c_str(), want.target, post.c_str(),
                    want.menu);
      EXPECT_NE(info.out.find(object), std::string::npos) << object << " not in\n" << info.out;
    }
    EXPECT_EQ(listed, count);

    run = Reelwrite(apply, setting.args);
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(run.err.find("own commands use"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("kept in"), std::string::npos) << run.err;
    EXPECT_EQ(Differences(written, ReadFolder(copy, true)), Names{});
    for (const std::string& lang : disc.langs) ExpectPreviewAgrees(copy, lang);
    run = Reelwrite({"restore", copy, "--yes"});
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(Differences(ReadFolder(copy), original), Names{});
    EXPECT_EQ(Differences(ReadFolder(backup, true), ReadFolder(AuthoredDisc(disc.name), true)), Names{});
  }
}

INSTANTIATE_TEST_SUITE_P(AuthoredDiscs, ApplyMatrix, ::testing::ValuesIn(kDiscs),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
