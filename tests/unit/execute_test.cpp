// Execute on a disc in a real folder: what it writes, what it asks, and that
// every refusal leaves the drive as it was.
#include "author/execute.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "actions/get_info.h"
#include "disc/disc_state.h"
#include "tests/unit/ifo_builder.h"
#include "tests/unit/message_recorder.h"
#include "tests/unit/temp_folder.h"

namespace {

using Texts = std::vector<std::string>;

const std::string kConfirm = "DVDイメージを更新します。\n実行しますか？";
const std::string kDone = "正常終了しました.";
const std::string kTooLong = "編集フォルダのパスが長すぎます.\nもっと短いパスのフォルダを指定してください.";

// A 2 x 2-title disc in `sub` of the drive ("": its root), read by get info
// as the front ends do.
struct LoadedDisc {
  explicit LoadedDisc(char letter = 'C', const std::string& sub = "VIDEO_TS") : drive(letter) {
    std::memset(&Disc, 0, sizeof Disc);
    Busy = 0;
    if (!sub.empty()) drive.MakeDir(sub);
    testdisc::WriteDisc(drive.HostName(sub), testdisc::SimpleDisc(2, 2));
    MessageRecorder quiet;
    EXPECT_EQ(GetInfo((drive.drive() + sub).c_str(), 0, 0), FolderRead);
  }
  TempFolder drive;
};

bool ReadOnly(const std::string& name) {
  uint32_t attributes = 0;
  EXPECT_TRUE(platform::GetAttributes(("C:\\VIDEO_TS\\" + name).c_str(), &attributes)) << name;
  return attributes & platform::kReadOnly;
}

// Read-only is cleared on every IFO and BUP file, also one beyond the title
// sets, and on nothing else; a second execute keeps the first originals.
TEST(Execute, WritesEveryIfoAndItsBupAndKeepsTheFirstOriginals) {
  LoadedDisc disc;
  disc.drive.WriteFile("VIDEO_TS/NOTES.TXT", std::string(2048, 0));
  disc.drive.WriteFile("VIDEO_TS/VTS_09_0.ifo", std::string(2048, 0));
  for (const char* name : {"VIDEO_TS.BUP", "NOTES.TXT", "VTS_09_0.ifo"})
    ASSERT_TRUE(platform::SetAttributes(("C:\\VIDEO_TS\\" + std::string(name)).c_str(), platform::kReadOnly));
  auto before = disc.drive.Tree();
  MessageRecorder messages;

  ASSERT_EQ(Execute("C:\\VIDEO_TS\\"), ExecuteSucceeded);
  ASSERT_EQ(Execute("C:\\VIDEO_TS"), ExecuteSucceeded);

  EXPECT_EQ(messages.Texts(), (Texts{kConfirm, kDone, kConfirm, kDone}));
  EXPECT_EQ(messages.messages()[1].caption, "情報");
  EXPECT_EQ(messages.messages()[1].style, 64);
  EXPECT_EQ(Busy, 0);
  EXPECT_STREQ(Disc.EditFolder, "C:\\VIDEO_TS\\");
  auto after = disc.drive.Tree();
  for (const auto& [name, bytes] : after)
    EXPECT_TRUE(before.count(name) || name.rfind("ORIGINAL_IFO/", 0) == 0) << name << " was left";
  for (std::string base : {"VIDEO_TS/VIDEO_TS", "VIDEO_TS/VTS_01_0", "VIDEO_TS/VTS_02_0"}) {
    EXPECT_EQ(after[base + ".BUP"], after[base + ".IFO"]) << base;
    EXPECT_EQ(after["ORIGINAL_IFO" + base.substr(8) + ".IFO"], before[base + ".IFO"]) << base;
  }
  EXPECT_NE(after["VIDEO_TS/VIDEO_TS.IFO"], before["VIDEO_TS/VIDEO_TS.IFO"]);
  EXPECT_FALSE(ReadOnly("VIDEO_TS.BUP"));
  EXPECT_TRUE(ReadOnly("NOTES.TXT"));
  EXPECT_FALSE(ReadOnly("VTS_09_0.ifo"));
}

// The questions come in a fixed order; a disc in a drive's root has no
// sibling folder for the backup, so the user decides. After No or a refusal
// nothing more is asked and the drive is as it was: no file or attribute
// changed, no backup made.
TEST(Execute, AsksInOrderAndEveryRefusalLeavesTheDriveAsItWas) {
  const std::string noMenu =
      "『メニューなし』のチェックボックスがONになっています.\n"
      "『メニューなしON』の場合は、既存のFirst "
      "Play設定，タイトルメニューは無効化されます.\n処理を継続しますか？";
  const std::string random =
      "『ランダム再生』のチェックボックスがONになっています.\n"
      "『ランダム再生ON』の場合は、既存のFirst Play設定は無効化されます.\n処理を継続しますか？";
  const std::string noBackup =
      "元のIFOファイルのバックアップを作成できません.\n"
      "編集フォルダがドライブのルートのため, 隣にバックアップ用のフォルダを作れません.\n"
      "バックアップなしで処理を継続しますか？";
  const std::string longName(239, 'L');  // C:\ + name + \ is 243 bytes: no room for VTS_nn_0.IFO.rwtmp
  const std::string fullPath = "編集フォルダはフルパス（例：C:\\VIDEO_TS）で指定してください.";
  const std::string missing = "編集フォルダが存在しません.";
  // Each question says what it asks; the command line answers by that alone.
  using platform::Question;
  const std::map<std::string, Question> asks = {{kConfirm, Question::kUpdateDisc},
                                                {noMenu, Question::kNoMenuOption},
                                                {random, Question::kRandomPlayOption},
                                                {noBackup, Question::kGoOnWithoutBackup}};
  auto both = [] { Disc.NoMenu = Disc.RandomPlay = 1; };
  auto randomPlay = [] { Disc.RandomPlay = 1; };
  const struct {
    std::string text;
    std::function<void()> change;
    std::deque<int> answers;
    Texts said;
  } cases[] = {
      {"C:\\VIDEO_TS", both, {}, {kConfirm, noMenu, kDone}},
      {"C:\\VIDEO_TS", randomPlay, {}, {kConfirm, random, kDone}},
      {"D:\\", nullptr, {}, {kConfirm, noBackup, kDone}},
      {"C:\\VIDEO_TS", nullptr, {7}, {kConfirm}},
      {"C:\\VIDEO_TS", both, {6, 7}, {kConfirm, noMenu}},
      {"C:\\VIDEO_TS", randomPlay, {6, 7}, {kConfirm, random}},
      {"D:\\", nullptr, {6, 7}, {kConfirm, noBackup}},
      {"C:\\VIDEO_TS", [] { Busy = 1; }, {}, {}},
      {"C:\\VIDEO_TS", [] { Disc.TitleCount = 0; }, {}, {"情報取得が正常に行われていません."}},
      // A menu table in memory that no longer holds together, as a damaged project could leave it.
      {"C:\\VIDEO_TS",
       [] { std::memset(Disc.MenuTableImage + 4, 0x7F, 4); },
       {},
       {kConfirm, "VIDEO_TS.IFOまたはメニューテーブルの構造が異常なため、更新できません."}},
      {"", nullptr, {}, {kConfirm, fullPath}},
      {"VIDEO_TS", nullptr, {}, {kConfirm, fullPath}},
      {"C:VIDEO_TS", nullptr, {}, {kConfirm, fullPath}},
      {"C:\\NOPE", nullptr, {}, {kConfirm, missing}},
      {"C:\\VIDEO_TS\\VIDEO_TS.IFO", nullptr, {}, {kConfirm, missing}},
      {"C:\\" + std::string(256, 'A'), nullptr, {}, {kConfirm, kTooLong}},
      {"C:\\" + longName, nullptr, {}, {kConfirm, kTooLong}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.text << " answers " << c.answers.size() << ", " << c.said.size()
                                    << " said");
    const bool root = c.text == "D:\\", done = !c.said.empty() && c.said.back() == kDone;
    LoadedDisc disc(root ? 'D' : 'C', root ? "" : "VIDEO_TS");
    if (!root) {
      disc.drive.MakeDir(longName);
      ASSERT_TRUE(platform::SetAttributes("C:\\VIDEO_TS\\VIDEO_TS.BUP", platform::kReadOnly));
    }
    const auto before = disc.drive.Tree();
    if (c.change) c.change();
    MessageRecorder messages(c.answers);
    EXPECT_EQ(Execute(c.text.c_str()), done ? ExecuteSucceeded : ExecuteRefused);
    EXPECT_EQ(messages.Texts(), c.said);
    for (const RecordedMessage& m : messages.messages()) {
      const auto asked = asks.find(m.text);
      EXPECT_EQ(m.question, asked == asks.end() ? Question::kNone : asked->second) << m.text;
      if (m.style != 36 && m.text != kDone) {
        EXPECT_EQ(m.caption, "エラー") << m.text;
      }
    }
    EXPECT_EQ(disc.drive.Tree() == before, !done);
    if (!root) {
      EXPECT_EQ(ReadOnly("VIDEO_TS.BUP"), !done);
    }
  }
}

}  // namespace
