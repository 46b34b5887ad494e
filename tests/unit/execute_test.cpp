// Get info and execute on a disc in a real folder: what execute writes, what
// it asks, and that every refusal leaves the drive as it was.
#include "author/execute.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <functional>
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

const std::string kConfirm = "DVDイメージを更新します。\n実行しますか？", kDone = "正常終了しました.";

// The questions come in a fixed order; a disc in a drive's root has no
// sibling folder for the backup, so the user decides. What players would hit
// is warned of before the first question, or refused. After No or a refusal
// nothing more is asked and the drive is as it was.
TEST(Execute, AsksInOrderAndEveryRefusalLeavesTheDriveAsItWas) {
  const std::string noBackup = "元のIFOファイルのバックアップを作成できません";
  const std::string fullPath = "編集フォルダはフルパス", missing = "編集フォルダが存在しません.",
                    tooLong = "編集フォルダのパスが長すぎます.";
  const std::string longName(239, 'L');  // C:\ + name + \ is 243 bytes: no room for VTS_nn_0.IFO.rwtmp
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
  auto jumpTT = [] {
    Disc.ActionKind[0] = Command;
    ParseCommandText(0, "30 02 00 00 00 03 00 00");
  };
  auto missingMenu = [] { Disc.ActionKind[0] = MenuPgc, Disc.ActionMenu[0] = 6 + 100; };  // VMGM PGC 100
  auto noSuchTitle = [](const std::string& title, const std::string& target) {
    return "タイトル" + title + "の終了時のジャンプ先, タイトル" + target +
           "はこのディスクにありません（タイトル数 4）.";
  };
  const struct {
    std::function<void()> change;
    std::deque<int> answers;
    std::vector<std::string> said;  // the start of each message
    std::string text = "C:\\VIDEO_TS";
  } cases[] = {
      {[] { Disc.NoMenu = Disc.RandomPlay = 1; }, {6, 7}, {kConfirm, "『メニューなし』"}},
      {[] { Disc.RandomPlay = 1; }, {}, {kConfirm, "『ランダム再生』", kDone}},
      {nullptr, {}, {kConfirm, noBackup, kDone}, "D:\\"},
      {nullptr, {6, 7}, {kConfirm, noBackup}, "D:\\"},
      {jumpTT, {}, {warned, kConfirm, kDone}},
      {jumpTT, {7}, {warned}},
      {[] { Disc.ActionKind[1] = JumpTitle, Disc.ActionTarget[1] = -1; }, {}, {noSuchTitle("02", "00")}},
      // Title 4 stops, but random play jumps to its target, one past the last, all the same.
      {[] { Disc.RandomPlay = 1, Disc.ActionTarget[3] = 4; }, {}, {noSuchTitle("04", "05")}},
      {missingMenu, {}, {"タイトル01の終了時に呼ぶメニューでは, プレーヤーが再生を中断します（" + menuFault}},
      // The same menu call as the disc's own end is only warned of.
      {[missingMenu] {
         missingMenu();
         TitleChain chain;
         ASSERT_TRUE(FindTitleChain(StoredVmgRef(), 0, &chain));
         MenuCommand(Disc.ActionMenu[0],
                     VtsImage(chain.titleSet) + FirstPostCommand(VtsImageRef(chain.titleSet), chain.pgc));
       },
       {},
       {warning(menuFault, "after title 1, playback ends in a fault players abort on: " + menuFault),
        kConfirm, kDone}},
      {[] { Busy = 1; }, {}, {}},
      {[] { Disc.TitleCount = 0; }, {}, {"情報取得が正常に行われていません."}},
      // A menu table in memory that no longer holds together, as a damaged project could leave it.
      {[] { std::memset(Disc.MenuTableImage + 4, 0x7F, 4); },
       {},
       {kConfirm, "VIDEO_TS.IFOまたはメニューテーブルの構造が異常"}},
      {nullptr, {}, {kConfirm, fullPath}, "C:VIDEO_TS"},
      {nullptr, {}, {kConfirm, fullPath}, std::string(258, 'A')},  // the longest text the edit box holds
      {nullptr, {}, {kConfirm, missing}, "C:\\NOPE"},
      {nullptr, {}, {kConfirm, missing}, "C:\\VIDEO_TS\\VIDEO_TS.IFO"},
      {nullptr, {}, {kConfirm, tooLong}, "C:\\" + std::string(256, 'A')},
      {nullptr, {}, {kConfirm, tooLong}, "C:\\" + longName},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.text << ", " << c.said.size() << " said");
    const bool root = c.text == "D:\\", done = !c.said.empty() && c.said.back() == kDone;
    // A 2 x 2-title disc whose titles stop at their ends (nothing to warn
    // of), read by get info as the front ends do.
    TempFolder drive(root ? 'D' : 'C');
    if (!root) drive.MakeDir("VIDEO_TS"), drive.MakeDir(longName);
    testdisc::WriteDisc(drive.HostName(root ? "" : "VIDEO_TS"),
                        testdisc::SimpleDisc(2, 2, testdisc::C("30 01 00 00 00 00 00 00")));
    std::memset(&Disc, 0, sizeof Disc);
    Busy = 0;
    MessageRecorder quiet;
    ASSERT_EQ(GetInfo(root ? "D:\\" : "C:\\VIDEO_TS", 0, 0), FolderRead);
    ASSERT_TRUE(root || platform::SetAttributes("C:\\VIDEO_TS\\VIDEO_TS.BUP", platform::kReadOnly));
    const auto before = drive.Tree();
    if (c.change) c.change();
    MessageRecorder messages(c.answers);
    EXPECT_EQ(Execute(c.text.c_str()), done ? ExecuteSucceeded : ExecuteRefused);
    auto said = messages.Texts();
    for (std::size_t i = 0; i < said.size() && i < c.said.size(); ++i)
      if (said[i].rfind(c.said[i], 0) == 0) said[i] = c.said[i];
    EXPECT_EQ(said, c.said);
    EXPECT_EQ(drive.Tree() == before, !done);
    uint32_t attributes = 0;
    EXPECT_TRUE(root || (platform::GetAttributes("C:\\VIDEO_TS\\VIDEO_TS.BUP", &attributes) &&
                         bool(attributes & platform::kReadOnly) == !done));
  }
}

// The options first, then the read, then the prepared disc.
TEST(GetInfo, KeepsTheOptionsAndLeavesTheRowPageOnlyForARefusedText) {
  std::memset(&Disc, 0, sizeof Disc);
  TempFolder temp;
  MessageRecorder recorder;
  temp.MakeDir("DVD");
  testdisc::WriteDisc(temp.HostName("DVD"), testdisc::SimpleDisc(1, 2));
  const struct {
    std::string text;
    ReadOutcome outcome;
    int rowPage;
    const char* said;  // in the one message
  } cases[] = {
      {"C:\\DVD", FolderRead, 0, nullptr},
      {"DVD", FolderRejected, 3, "編集先フォルダはフルパス"},
      {"C:\\DVD\\VIDEO_TS.IFO", FolderRejected, 3, "編集先フォルダが存在しません."},
      {"C:\\" + std::string(300, 'x'), FolderRejected, 3, "編集先フォルダのパスが長すぎます."},
      {"C:\\", FilesRejected, 0, "VIDEO_TS.IFOが存在しません."},
  };
  for (const auto& c : cases) {
    Disc.RowPage = 3;
    recorder.Clear();
    EXPECT_EQ(GetInfo(c.text.c_str(), 1, 0), c.outcome) << c.text;
    EXPECT_EQ(Disc.NoMenu * 10 + Disc.RandomPlay, 10);
    EXPECT_EQ(Disc.RowPage, c.rowPage);
    const auto said = recorder.Texts();
    EXPECT_TRUE(c.said ? said.size() == 1 && said[0].find(c.said) != std::string::npos : said.empty());
  }
}

}  // namespace
