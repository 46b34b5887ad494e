#include "author/execute.h"

#include <dirent.h>
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "disc/disc_state.h"
#include "disc/get_info.h"
#include "tests/unit/ifo_builder.h"
#include "tests/unit/message_recorder.h"
#include "tests/unit/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Files = std::map<std::string, Bytes>;

const std::string kConfirm = "DVDイメージを更新します。\n実行しますか？";
const std::string kNoMenuQuestion =
    "『メニューなし』のチェックボックスがONになっています.\n"
    "『メニューなしON』の場合は、既存のFirst "
    "Play設定，タイトルメニューは無効化されます.\n処理を継続しますか？";
const std::string kRandomQuestion =
    "『ランダム再生』のチェックボックスがONになっています.\n"
    "『ランダム再生ON』の場合は、既存のFirst Play設定は無効化されます.\n処理を継続しますか？";
const std::string kDone = "正常終了しました.";
const std::string kFullPath = "編集フォルダはフルパス（例：C:\\VIDEO_TS）で指定してください.";
const std::string kMissing = "編集フォルダが存在しません.";
const std::string kTooLong = "編集フォルダのパスが長すぎます.\nもっと短いパスのフォルダを指定してください.";

std::vector<std::string> Texts(const MessageRecorder& messages) {
  std::vector<std::string> texts;
  for (const RecordedMessage& m : messages.messages()) texts.push_back(m.text);
  return texts;
}

// A two-title-set disc in a real folder behind a drive letter, read with
// GetInfo as the front ends do. `sub` is the folder under the drive root
// ("" puts the disc in the root itself).
struct LoadedDisc {
  explicit LoadedDisc(char letter = 'C', const std::string& sub = "VIDEO_TS") : folder(letter), sub(sub) {
    std::memset(&Disc, 0, sizeof Disc);
    Busy = 0;
    if (!sub.empty()) folder.MakeDir(sub);
    testdisc::WriteDisc(sub.empty() ? folder.host() : folder.HostName(sub), testdisc::SimpleDisc(2, 2));
    MessageRecorder quiet;
    EXPECT_EQ(GetInfo((folder.drive() + sub).c_str(), 0, 0), FolderRead);
    before = Snapshot();
  }
  // Every file of the folder, by name.
  Files Snapshot() const {
    Files files;
    DIR* dir = opendir(sub.empty() ? folder.host().c_str() : folder.HostName(sub).c_str());
    while (dirent* e = dir ? readdir(dir) : nullptr) {
      std::string name = e->d_name;
      if (name != "." && name != "..") files[name] = folder.ReadFile(sub.empty() ? name : sub + "/" + name);
    }
    if (dir) closedir(dir);
    return files;
  }

  TempFolder folder;
  std::string sub;
  Files before;
};

bool ReadOnly(const std::string& name) {
  uint32_t attributes = 0;
  EXPECT_TRUE(platform::GetAttributes(("C:\\VIDEO_TS\\" + name).c_str(), &attributes)) << name;
  return attributes & platform::kReadOnly;
}

// Read-only is cleared on every IFO and BUP file, also those beyond the
// title sets, and on nothing else.
TEST(Execute, WritesEveryIfoAndItsBupAndKeepsTheOriginals) {
  LoadedDisc disc;
  disc.folder.WriteFile("VIDEO_TS/NOTES.TXT", Bytes(2048, 0));
  disc.folder.WriteFile("VIDEO_TS/VTS_09_0.ifo", Bytes(2048, 0));
  disc.before = disc.Snapshot();
  for (const char* name : {"VIDEO_TS.BUP", "NOTES.TXT", "VTS_09_0.ifo"}) {
    ASSERT_TRUE(platform::SetAttributes(("C:\\VIDEO_TS\\" + std::string(name)).c_str(), platform::kReadOnly));
  }
  MessageRecorder messages;

  ASSERT_EQ(Execute("C:\\VIDEO_TS\\"), ExecuteSucceeded);

  EXPECT_EQ(Texts(messages), (std::vector<std::string>{kConfirm, kDone}));
  EXPECT_EQ(messages.messages()[1].caption, "情報");
  EXPECT_EQ(messages.messages()[1].style, 64);
  EXPECT_EQ(Busy, 0);
  EXPECT_STREQ(Disc.EditFolder, "C:\\VIDEO_TS\\");
  Files after = disc.Snapshot();
  EXPECT_EQ(after.size(), disc.before.size()) << "a temporary was left";
  for (const char* base : {"VIDEO_TS", "VTS_01_0", "VTS_02_0"}) {
    SCOPED_TRACE(base);
    EXPECT_EQ(after[std::string(base) + ".BUP"], after[std::string(base) + ".IFO"]);
    EXPECT_EQ(disc.folder.ReadFile(std::string("ORIGINAL_IFO_VIDEO_TS/") + base + ".IFO"),
              disc.before[std::string(base) + ".IFO"]);
  }
  EXPECT_NE(after["VIDEO_TS.IFO"], disc.before["VIDEO_TS.IFO"]);
  EXPECT_FALSE(ReadOnly("VIDEO_TS.BUP"));
  EXPECT_TRUE(ReadOnly("NOTES.TXT"));
  EXPECT_FALSE(ReadOnly("VTS_09_0.ifo"));

  // A second execute keeps the backup of the very first originals.
  ASSERT_EQ(Execute("C:\\VIDEO_TS"), ExecuteSucceeded);
  EXPECT_EQ(disc.folder.ReadFile("ORIGINAL_IFO_VIDEO_TS/VIDEO_TS.IFO"), disc.before["VIDEO_TS.IFO"]);
}

TEST(Execute, RefusesWithoutADiscOrWhileBusy) {
  LoadedDisc disc;
  MessageRecorder messages;
  Busy = 1;
  EXPECT_EQ(Execute("C:\\VIDEO_TS"), ExecuteRefused);
  EXPECT_TRUE(messages.messages().empty());
  Busy = 0;
  Disc.TitleCount = 0;
  EXPECT_EQ(Execute("C:\\VIDEO_TS"), ExecuteRefused);
  EXPECT_EQ(Texts(messages), std::vector<std::string>{"情報取得が正常に行われていません."});
  EXPECT_EQ(disc.Snapshot(), disc.before);
}

// The questions come in a fixed order, and No at any of them writes nothing.
TEST(Execute, AsksItsQuestionsInOrder) {
  struct Case {
    int noMenu, randomPlay;
    std::deque<int> answers;
    std::vector<std::string> asked;
  } cases[] = {
      {1, 1, {}, {kConfirm, kNoMenuQuestion, kDone}},
      {0, 1, {}, {kConfirm, kRandomQuestion, kDone}},
      {0, 0, {7}, {kConfirm}},
      {1, 1, {6, 7}, {kConfirm, kNoMenuQuestion}},
      {0, 1, {6, 7}, {kConfirm, kRandomQuestion}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.noMenu << c.randomPlay << " answers " << c.answers.size());
    LoadedDisc disc;
    Disc.NoMenu = c.noMenu;
    Disc.RandomPlay = c.randomPlay;
    MessageRecorder messages(c.answers);
    const bool refused = c.asked.back() != kDone;

    EXPECT_EQ(Execute("C:\\VIDEO_TS"), refused ? ExecuteRefused : ExecuteSucceeded);

    EXPECT_EQ(Texts(messages), c.asked);
    if (refused) {
      EXPECT_EQ(disc.Snapshot(), disc.before);
      EXPECT_FALSE(disc.folder.Exists("ORIGINAL_IFO_VIDEO_TS"));
    }
  }
}

TEST(Execute, RejectsFolderTextsThatNameNoUsableFolder) {
  LoadedDisc disc;
  const std::string longName(239, 'L');  // C:\ + name + \ is 243 bytes: no room for VTS_nn_0.IFO.rwtmp
  disc.folder.MakeDir(longName);
  const std::pair<std::string, std::string> cases[] = {
      {"", kFullPath},
      {"VIDEO_TS", kFullPath},
      {"C:VIDEO_TS", kFullPath},
      {"C:\\NOPE", kMissing},
      {"C:\\VIDEO_TS\\VIDEO_TS.IFO", kMissing},
      {"C:\\" + std::string(256, 'A'), kTooLong},
      {"C:\\" + longName, kTooLong},
  };
  for (const auto& [text, message] : cases) {
    SCOPED_TRACE(text);
    MessageRecorder messages;
    EXPECT_EQ(Execute(text.c_str()), ExecuteRefused);
    EXPECT_EQ(Texts(messages), (std::vector<std::string>{kConfirm, message}));
  }
  EXPECT_EQ(disc.Snapshot(), disc.before);
  EXPECT_FALSE(disc.folder.Exists("ORIGINAL_IFO_VIDEO_TS"));
}

// A refused patch (here a menu table in memory that no longer holds
// together, as a damaged project could leave it) must not touch the folder:
// no backup, no attribute cleared.
TEST(Execute, APatchThatRefusesLeavesTheFolderAlone) {
  LoadedDisc disc;
  ASSERT_TRUE(platform::SetAttributes("C:\\VIDEO_TS\\VIDEO_TS.BUP", platform::kReadOnly));
  std::memset(Disc.MenuTableImage + 4, 0x7F, 4);  // end address far outside
  MessageRecorder messages;

  EXPECT_EQ(Execute("C:\\VIDEO_TS"), ExecuteRefused);

  ASSERT_EQ(messages.messages().size(), 2u);
  EXPECT_EQ(messages.messages()[1].caption, "エラー");
  EXPECT_TRUE(ReadOnly("VIDEO_TS.BUP"));
  EXPECT_FALSE(disc.folder.Exists("ORIGINAL_IFO_VIDEO_TS"));
  EXPECT_EQ(disc.Snapshot(), disc.before);
}

// A disc in a drive's root has no sibling folder for the backup: the user decides.
TEST(Execute, AsksBeforeWritingADriveRootWithoutBackup) {
  const std::string kNoBackup =
      "元のIFOファイルのバックアップを作成できません.\n"
      "編集フォルダがドライブのルートのため, 隣にバックアップ用のフォルダを作れません.\n"
      "バックアップなしで処理を継続しますか？";
  for (int answer : {7, 6}) {
    SCOPED_TRACE(answer);
    LoadedDisc disc('D', "");
    MessageRecorder messages({6, answer});

    EXPECT_EQ(Execute("D:\\"), answer == 6 ? ExecuteSucceeded : ExecuteRefused);

    std::vector<std::string> asked = {kConfirm, kNoBackup, kDone};
    asked.resize(answer == 6 ? 3 : 2);
    EXPECT_EQ(Texts(messages), asked);
    EXPECT_EQ(disc.Snapshot() == disc.before, answer == 7);
  }
}

}  // namespace
