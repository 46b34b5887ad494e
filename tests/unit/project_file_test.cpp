// Project files: the layout on disk and the refusal of every file that could
// not be used safely.
#include "persist/project_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "actions/get_info.h"
#include "disc/byte_order.h"
#include "disc/disc_state.h"
#include "tests/unit/file_size_limit.h"
#include "tests/unit/ifo_builder.h"
#include "tests/unit/message_recorder.h"
#include "tests/unit/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;

const char kReadError[] = "プロジェクトの読み込みでエラーが発生しました.";
const char kFormat[] = "プロジェクトの形式が異常です.";

// Two copies of a 2 x 2-title disc, C:\A and C:\B, with A read by get info.
struct TwoDiscs {
  TwoDiscs() {
    std::memset(&Disc, 0, sizeof Disc);
    for (const char* sub : {"A", "B"}) {
      temp.MakeDir(sub);
      testdisc::WriteDisc(temp.HostName(sub), testdisc::SimpleDisc(2, 2));
    }
    MessageRecorder quiet;
    EXPECT_EQ(GetInfo("C:\\A", 0, 0), FolderRead);
  }
  Bytes DiscBytes() const {
    return Bytes(reinterpret_cast<uint8_t*>(&Disc), reinterpret_cast<uint8_t*>(&Disc + 1));
  }
  TempFolder temp;
};

int32_t Le32(const Bytes& b, std::size_t at) {
  int32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}
void SetLe32(Bytes& b, std::size_t at, int32_t v) { std::memcpy(b.data() + at, &v, 4); }

TEST(Project, SavedFileHoldsTheStateAtItsDocumentedOffsets) {
  TwoDiscs discs;
  Disc.PresetIndex = 3;
  Disc.ActionKind[1] = Stop;
  Disc.NoMenu = 1;
  MessageRecorder messages;
  ASSERT_TRUE(SaveProjectFile("C:\\p.prj"));
  ASSERT_EQ(messages.messages().size(), 1u);
  EXPECT_EQ(messages.messages()[0].text, "プロジェクトを保存しました.");
  EXPECT_EQ(messages.messages()[0].caption, "情報");
  EXPECT_EQ(messages.messages()[0].style, 64);

  Bytes file = discs.temp.ReadFile("p.prj");
  ASSERT_EQ(file.size(), 8398128u);
  EXPECT_EQ(std::string(file.begin(), file.begin() + 16), "REELWRITE0140PRJ");
  EXPECT_STREQ(reinterpret_cast<const char*>(&file[28]), "C:\\A");
  EXPECT_EQ(Le32(file, 288), 3);
  EXPECT_EQ(Le32(file, 568), 4);
  EXPECT_EQ(Le32(file, 572), 2);
  EXPECT_EQ(Le32(file, 980), Disc.IfoSize[0]);
  EXPECT_EQ(std::string(file.begin() + 4201292, file.begin() + 4201292 + 12), "DVDVIDEO-VMG");
  EXPECT_STREQ(reinterpret_cast<const char*>(&file[8395596]), "C:\\p.prj");
  EXPECT_STREQ(reinterpret_cast<const char*>(&file[8395856]), "C:\\A\\");
  EXPECT_EQ(Le32(file, 8396116), 1);
  EXPECT_EQ(Le32(file, 8396124 + 4), Stop);
  EXPECT_FALSE(discs.temp.Exists("p.prj.rwtmp"));
}

// Every refused file leaves the state as it was, apart from ProjectPath.
TEST(Project, RefusedFilesLeaveTheStateAsItWas) {
  TwoDiscs discs;
  MessageRecorder messages;
  ASSERT_TRUE(SaveProjectFile("C:\\p.prj"));
  const Bytes good = discs.temp.ReadFile("p.prj");
  Disc.PresetIndex = 6;  // the state a refused file must leave alone
  const Bytes before = discs.DiscBytes();

  auto cut = [](std::size_t size) { return [size](Bytes& f) { f.resize(size); }; };
  auto set = [](std::size_t at, int32_t value) { return [at, value](Bytes& f) { SetLe32(f, at, value); }; };
  auto text = [](std::string bytes, std::size_t at) {
    return [bytes, at](Bytes& f) { std::memcpy(&f[at], bytes.data(), bytes.size()); };
  };
  const std::string content = "プロジェクトの内容が異常です（";
  struct Case {
    const char* name;
    std::function<void(Bytes&)> change;
    std::string message;  // a part of the message
  } cases[] = {
      {"empty", cut(0), kReadError},
      {"15 bytes", cut(15), kReadError},
      {"state cut short", cut(8398127), kReadError},
      {"other version", text("0130", 9), std::string(kFormat) + "\n異なるバージョン"},
      {"not PRJ", text("PRX", 13), kFormat},
      {"not REELWRITE", text("X", 0), kFormat},
      {"100 titles", set(568, 100), content + "タイトル数"},
      {"titles without title sets", set(572, 0), content + "タイトル数"},
      {"100 title sets", set(572, 100), content + "タイトルセット数"},
      {"register 16", set(576, 16), content + "レジスタ番号"},
      {"page without titles", set(564, 1), content + "表示ページ"},
      {"gap between images", set(580 + 4, Le32(good, 580 + 4) + 2048), content + "IFO"},
      {"image past the store", set(980 + 8, 0x400000), content + "IFO"},
      {"negative VOB sectors", set(2180 + 4, -1), content + "VOBのサイズ"},
      {"VmgSize past its buffer", set(6980, 0x200001), content + "VIDEO_TS.IFOのサイズ"},
      {"dispatcher number", set(6984, Le32(good, 6984) + 1), content + "メニューPGC番号"},
      {"jump past the titles", set(8396524 + 8, 4), content + "ジャンプ先タイトル"},
      {"menu choice 135", set(8397724, 135), content + "メニュー選択"},
      {"folder text without end", text(std::string(260, 'A'), 28), content + "パス名"},
      {"title table outside", set(4201292 + 0xC4, 0x7F000000), "VIDEO_TS.IFOが異常です"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes file = good;
    c.change(file);
    messages.Clear();
    EXPECT_FALSE(LoadProjectBytes(file.data(), file.size()));
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_NE(messages.messages()[0].text.find(c.message), std::string::npos) << messages.messages()[0].text;
    EXPECT_EQ(messages.messages()[0].caption, "エラー");
    EXPECT_EQ(messages.messages()[0].style, 48);
    EXPECT_TRUE(discs.DiscBytes() == before);
  }
  messages.Clear();
  EXPECT_TRUE(LoadProjectBytes(good.data(), good.size()));
  EXPECT_TRUE(messages.messages().empty());
  EXPECT_EQ(Disc.PresetIndex, 0);
}

TEST(Project, FailedSaveLeavesTheOldProjectAndAnEmptyOneLoadsWithoutADisc) {
  TwoDiscs discs;
  MessageRecorder messages;
  ASSERT_TRUE(SaveProjectFile("C:\\p.prj"));
  const Bytes old = discs.temp.ReadFile("p.prj");
  Disc.PresetIndex = 5;
  EXPECT_TRUE(RunsWithFileSizeLimit(1 << 20, [] {
    MessageRecorder full;
    return !SaveProjectFile("C:\\p.prj") &&
           full.messages().back().text == "プロジェクトの書き込みでエラーが発生しました.";
  }));
  EXPECT_EQ(discs.temp.ReadFile("p.prj"), old);
  EXPECT_FALSE(discs.temp.Exists("p.prj.rwtmp"));
  EXPECT_FALSE(SaveProjectFile("C:\\no such folder\\p.prj"));
  EXPECT_EQ(messages.messages().back().text, "プロジェクトファイルが作成できません.");
  EXPECT_FALSE(LoadProjectFile("C:\\missing.prj"));
  EXPECT_EQ(messages.messages().back().text, "プロジェクトファイルが開けません.");
  EXPECT_STREQ(Disc.ProjectPath, "C:\\missing.prj");

  std::memset(&Disc, 0, sizeof Disc);
  ASSERT_TRUE(SaveProjectFile("C:\\empty.prj"));
  Disc.TitleCount = 5;
  messages.Clear();
  EXPECT_TRUE(LoadProjectFile("C:\\empty.prj"));
  EXPECT_EQ(Disc.TitleCount, 0);
  EXPECT_TRUE(messages.messages().empty());
}

}  // namespace
