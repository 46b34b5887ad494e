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
#include "actions/title_action.h"
#include "disc/disc_state.h"
#include "disc/ifo_tables.h"
#include "disc/title_chain.h"
#include "tests/unit/ifo_builder.h"
#include "tests/unit/message_recorder.h"
#include "tests/unit/temp_folder.h"

namespace {

using Texts = std::vector<std::string>;

const std::string kConfirm = "DVDイメージを更新します。\n実行しますか？";
const std::string kDone = "正常終了しました.";
const std::string kTooLong = "編集フォルダのパスが長すぎます.\nもっと短いパスのフォルダを指定してください.";

// A 2 x 2-title disc in `sub` of the drive ("": its root), read by get info
// as the front ends do. Its titles stop at their ends: nothing to warn of.
struct LoadedDisc {
  explicit LoadedDisc(char letter = 'C', const std::string& sub = "VIDEO_TS") : drive(letter) {
    std::memset(&Disc, 0, sizeof Disc);
    Busy = 0;
    if (!sub.empty()) drive.MakeDir(sub);
    testdisc::WriteDisc(drive.HostName(sub),
                        testdisc::SimpleDisc(2, 2, testdisc::C("30 01 00 00 00 00 00 00")));
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
  auto both = [] { Disc.NoMenu = Disc.RandomPlay = 1; };
  auto randomPlay = [] { Disc.RandomPlay = 1; };
  auto warning = [](const std::string& fault, const std::string& title1) {
    return std::string(kPlaybackWarningsQuestion) +
           "\n\n・from the start, playback ends in a fault: " + fault + "\n・" + title1 +
           "\n\n処理を継続しますか？";
  };
  const std::string jumpTTFault = "JumpTT 3 from a title or title set menu";
  const std::string warned = warning(
      jumpTTFault, "title 1 ends with JumpTT outside the video manager, where players stop or abort (" +
                       jumpTTFault + ")");
  const std::string menuFault = "the video manager has no menu program chain 100";
  const std::string warnedMenu =
      warning(menuFault, "after title 1, playback ends in a fault players abort on: " + menuFault);
  // Each question says what it asks; the command line answers by that alone.
  using platform::Question;
  const std::map<std::string, Question> asks = {
      {kConfirm, Question::kUpdateDisc},     {noMenu, Question::kNoMenuOption},
      {random, Question::kRandomPlayOption}, {noBackup, Question::kGoOnWithoutBackup},
      {warned, Question::kPlaybackWarnings}, {warnedMenu, Question::kPlaybackWarnings}};
  auto jumpTT = [] {
    Disc.ActionKind[0] = Command;
    ParseCommandText(0, "30 02 00 00 00 03 00 00");
  };
  auto missingTarget = [] {  // none chosen, as a project could hold
    Disc.ActionKind[1] = JumpTitle;
    Disc.ActionTarget[1] = -1;
  };
  // Title 4 stops, but random play jumps to its target all the same.
  auto optionTarget = [] { Disc.RandomPlay = 1, Disc.ActionTarget[3] = 4; };              // one past the last
  auto missingMenu = [] { Disc.ActionKind[0] = MenuPgc, Disc.ActionMenu[0] = 6 + 100; };  // VMGM PGC 100
  auto missingMenuAsRead = [missingMenu] {
    missingMenu();
    TitleChain chain;
    ASSERT_TRUE(FindTitleChain(StoredVmgRef(), 0, &chain));
    MenuCommand(Disc.ActionMenu[0],
                VtsImage(chain.titleSet) + FirstPostCommand(VtsImageRef(chain.titleSet), chain.pgc));
  };
  const auto noSuchTitle = [](const std::string& title, const std::string& target) {
    return "タイトル" + title + "の終了時のジャンプ先, タイトル" + target +
           "はこのディスクにありません（タイトル数 4）.\nジャンプ先を選び直してください.";
  };
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
      // What players would hit: warned of before the first question, or refused.
      {"C:\\VIDEO_TS", jumpTT, {}, {warned, kConfirm, kDone}},
      {"C:\\VIDEO_TS", jumpTT, {7}, {warned}},
      {"C:\\VIDEO_TS", missingTarget, {}, {noSuchTitle("02", "00")}},
      {"C:\\VIDEO_TS", optionTarget, {}, {noSuchTitle("04", "05")}},
      {"C:\\VIDEO_TS",
       missingMenu,
       {},
       {"タイトル01の終了時に呼ぶメニューでは, プレーヤーが再生を中断します（" + menuFault +
        "）.\n別のメニューを選んでください."}},
      {"C:\\VIDEO_TS", missingMenuAsRead, {}, {warnedMenu, kConfirm, kDone}},
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
