// `reelwrite apply` on every authored disc with every preset, the two options
// and a hand-made map: libdvdread still opens every file, each backup holds
// its information file's bytes, the disc reads back with the actions that
// were asked for, and applying the same settings again changes nothing.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "tests/realdisc/cli_run.h"
#include "tests/realdisc/disc_fixture.h"
#include "tests/unit/temp_folder.h"

namespace {

struct InfoTitle {
  std::string action;
  int target;
  std::string command;
  int menu;
};

struct Info {
  int menuRegister = -1;
  int menuPgcNumber = -1;
  std::vector<InfoTitle> titles;
};

int NumberAfter(const std::string& json, const std::string& key, std::size_t from = 0) {
  std::size_t at = json.find("\"" + key + "\": ", from);
  return at == std::string::npos ? -1 : std::stoi(json.substr(at + key.size() + 4));
}

std::string TextAfter(const std::string& json, const std::string& key, std::size_t from) {
  std::size_t at = json.find("\"" + key + "\": \"", from);
  if (at == std::string::npos) return "";
  at += key.size() + 5;
  return json.substr(at, json.find('"', at) - at);
}

// Just enough of info --json for these tests; its exact shape has its own test.
Info ParseInfo(const std::string& json) {
  Info info;
  info.menuRegister = NumberAfter(json, "menu_register");
  info.menuPgcNumber = NumberAfter(json, "menu_pgc_number");
  for (std::size_t at = json.find("{\"title\": "); at != std::string::npos;
       at = json.find("{\"title\": ", at + 1)) {
    info.titles.push_back({TextAfter(json, "action", at), NumberAfter(json, "target", at),
                           TextAfter(json, "command", at), NumberAfter(json, "menu", at)});
  }
  return info;
}

std::string Spaced(const ListedTitle& t) {
  if (!t.hasPost) return "FF FF FF FF FF FF FF FF";
  char text[24];
  std::snprintf(text, sizeof text, "%02X %02X %02X %02X %02X %02X %02X %02X", t.post[0], t.post[1], t.post[2],
                t.post[3], t.post[4], t.post[5], t.post[6], t.post[7]);
  return text;
}

struct Want {
  std::string action;
  int menu;
  int target;  // 1-based
};

// The post command each end action is written as.
std::string PostFor(const Want& w, int dispatcher, int titleInSet) {
  char text[24] = "FF FF FF FF FF FF FF FF";
  if (w.action == "jump") {
    std::snprintf(text, sizeof text, "30 08 %02X %02X 01 C0 00 00", dispatcher >> 8, dispatcher & 0xFF);
  } else if (w.action == "menu") {
    std::snprintf(text, sizeof text, "30 08 00 00 01 %s 00 00", w.menu == 0 ? "42" : "83");
  } else if (w.action == "stop") {
    std::snprintf(text, sizeof text, "30 01 00 00 00 00 00 00");
  } else if (w.action == "repeat") {
    std::snprintf(text, sizeof text, "30 05 00 01 00 %02X 00 00", titleInSet);
  }
  return text;
}

struct DiscCase {
  const char* name;
  int titleSets;
  int freeRegister;  // the pair none of the disc's commands touches
  int dispatcher;    // its program chain number in every menu language unit
  int titleNoPost;   // a title without a post command to replace, or 0
};

const DiscCase kDiscs[] = {
    {"sample", 1, 0, 2, 0},    {"nomenu", 1, 0, 1, 0},
    {"menus2vts", 2, 3, 2, 0},  // the disc's menus use g1 and g2
    {"postcmds", 1, 2, 2, 4},   // g1
    {"langunits", 1, 0, 4, 0},  // behind the three chains of the longer unit
};

struct Setting {
  std::string name;
  std::vector<std::string> args;
  int menuRegister;  // -1: the disc's free pair
  std::function<Want(int n, int count)> want;
};

// Every preset sends each title's destination to the next title and the
// last title's to title 1, whatever kind it gives the title.
Setting PresetSetting(int preset, const std::vector<std::string>& options = {}) {
  static const Want kKinds[8][2] = {
      {{"jump", 0, 0}, {"menu", 0, 0}}, {{"jump", 0, 0}, {"menu", 1, 0}},
      {{"jump", 0, 0}, {"stop", 0, 0}}, {{"jump", 0, 0}, {"jump", 0, 0}},
      {{"menu", 0, 0}, {"menu", 0, 0}}, {{"menu", 1, 0}, {"menu", 1, 0}},
      {{"stop", 0, 0}, {"stop", 0, 0}}, {{"repeat", 0, 0}, {"repeat", 0, 0}},
  };
  std::vector<std::string> args = {"--preset", std::to_string(preset)};
  args.insert(args.end(), options.begin(), options.end());
  std::string name = "preset " + std::to_string(preset);
  for (const std::string& o : options) name += " " + o;
  return {name, args, -1, [preset](int n, int count) {
            Want w = kKinds[preset][n + 1 == count ? 1 : 0];
            w.target = n + 1 == count ? 1 : n + 2;
            return w;
          }};
}

std::vector<Setting> Settings() {
  std::vector<Setting> settings;
  for (int p = 0; p < 8; ++p) settings.push_back(PresetSetting(p));
  settings.push_back(PresetSetting(3, {"--no-menu"}));
  settings.push_back(PresetSetting(3, {"--random"}));
  // Without a preset, a title keeps what get info found: title 2 its own
  // number as destination, the last title (beyond 3) title 1.
  settings.push_back({"1->3, 3->2, 2 stops, register 5",
                      {"--title", "1=jump:3", "--title", "3=jump:2", "--title", "2=stop", "--register", "5"},
                      5,
                      [](int n, int count) -> Want {
                        if (n == 0) return {"jump", 0, 3};
                        if (n == 1) return {"stop", 0, 2};
                        if (n == 2) return {"jump", 0, 2};
                        return {"unchanged", 0, n + 1 == count ? 1 : n + 1};
                      }});
  return settings;
}

class ApplyMatrix : public ::testing::TestWithParam<DiscCase> {};

TEST_P(ApplyMatrix, FilesParseBackupsMatchActionsReadBackAndARepeatChangesNothing) {
  const DiscCase& disc = GetParam();
  for (const Setting& setting : Settings()) {
    SCOPED_TRACE(setting.name);
    TempFolder folder;
    const std::string copy = CopyOfDisc(folder, disc.name);
    std::vector<std::string> apply = {"apply", copy, "--yes"};
    apply.insert(apply.end(), setting.args.begin(), setting.args.end());
    ProgramRun run = Reelwrite(apply);
    ASSERT_EQ(run.exit, 0) << run.err;

    DvdreadListing listing = DvdreadList(copy);
    EXPECT_EQ(listing.exit, 0) << listing.output;
    EXPECT_TRUE(listing.failed.empty()) << listing.output;
    EXPECT_EQ(listing.parsed.size(), 2u * (disc.titleSets + 1)) << listing.output;

    const FolderFiles written = ReadFolder(copy, true);
    for (const auto& f : written) {
      if (f.first.size() > 4 && f.first.compare(f.first.size() - 4, 4, ".IFO") == 0) {
        auto bup = written.find(f.first.substr(0, f.first.size() - 4) + ".BUP");
        ASSERT_NE(bup, written.end()) << f.first;
        EXPECT_TRUE(bup->second == f.second) << bup->first << " differs from " << f.first;
      }
    }

    ProgramRun info = Reelwrite({"info", copy, "--json"});
    ASSERT_EQ(info.exit, 0) << info.err;
    const Info read = ParseInfo(info.out);
    EXPECT_EQ(read.menuRegister, setting.menuRegister >= 0 ? setting.menuRegister : disc.freeRegister);
    EXPECT_EQ(read.menuPgcNumber, disc.dispatcher);
    const int count = static_cast<int>(listing.titles.size());
    ASSERT_EQ(static_cast<int>(read.titles.size()), count) << info.out;
    for (int n = 0; n < count; ++n) {
      SCOPED_TRACE("title " + std::to_string(n + 1));
      Want want = setting.want(n, count);
      // Nothing can be written where the disc has no post command.
      if (n + 1 == disc.titleNoPost) want = {"unchanged", 0, want.target};
      const std::string post = PostFor(want, disc.dispatcher, listing.titles[n].titleInSet);
      EXPECT_EQ(read.titles[n].action, want.action);
      EXPECT_EQ(read.titles[n].menu, want.menu);
      EXPECT_EQ(read.titles[n].target, want.target);
      EXPECT_EQ(read.titles[n].command, post);
      EXPECT_EQ(Spaced(listing.titles[n]), post);  // what libdvdread sees
    }

    run = Reelwrite(apply);
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(Differences(written, ReadFolder(copy, true)), std::vector<std::string>{});
  }
}

INSTANTIATE_TEST_SUITE_P(AuthoredDiscs, ApplyMatrix, ::testing::ValuesIn(kDiscs),
                         [](const ::testing::TestParamInfo<DiscCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
