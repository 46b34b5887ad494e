// Get info and execute on a disc in a real folder: what execute writes, what
// it asks, and that every refusal leaves the drive as it was; the backup of
// the original IFO files it makes, and their restore.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "actions/get_info.h"
#include "actions/title_action.h"
#include "author/execute.h"
#include "author/file_checksum.h"
#include "author/original_backup.h"
#include "disc/disc_state.h"
#include "disc/ifo_tables.h"
#include "disc/title_chain.h"
#include "tests/unit/ifo_builder.h"
#include "tests/unit/message_recorder.h"
#include "tests/unit/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;

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

// Records written by other versions and tools must verify: zlib's CRC-32.
TEST(FileChecksum, IsZlibsCrc32) {
  EXPECT_EQ(ExtendChecksum(0, reinterpret_cast<const uint8_t*>("123456789"), 9), 0xCBF43926u);
}

TEST(BackupFolderOf, IsTheEditFoldersSibling) {
  const struct {
    const char* edit;
    const char* backup;  // null: none can be named
  } cases[] = {
      {"D:\\DISC1\\VIDEO_TS\\", "D:\\DISC1\\ORIGINAL_IFO\\"},
      {"D:\\video_ts", "D:\\ORIGINAL_IFO\\"},
      // 0x95 0x5C is one Shift-JIS character whose second byte looks like a backslash.
      {"D:\\\x95\x5C\\", "D:\\ORIGINAL_IFO_\x95\x5C\\"},
      {"D:\\", nullptr},
  };
  for (const auto& c : cases) {
    char out[260];
    ASSERT_EQ(BackupFolderOf(c.edit, out, sizeof out), c.backup != nullptr) << c.edit;
    EXPECT_STREQ(c.backup ? out : nullptr, c.backup);
  }
}

// C:\DISC\VIDEO_TS holds a disc (its BUP named in lower case) with a VOB.
// Restore refuses, changing nothing, a backup that is missing or fails its
// record: taken from another disc than the one now there, changed since, or
// without a record and not this disc's. Apply neither uses nor replaces one
// that fails its record: it asks to go on without, and no leaves all as it
// was. Older versions named the backup ORIGINAL_IFO_VIDEO_TS: restore takes
// that, byte for byte, and the next apply moves it to the name that burns
// safely.
TEST(OriginalBackup, IsUsedOnlyForItsOwnDiscAndMovedFromAnOlderName) {
  TempFolder folder;
  std::filesystem::create_directories(folder.HostName("DISC/VIDEO_TS"));
  testdisc::DiscSpec disc = testdisc::SimpleDisc(1, 2);
  disc.titleSets[0].titleVobBytes = {3 * 2048};
  testdisc::WriteDisc(folder.HostName("DISC/VIDEO_TS"), disc);
  std::filesystem::rename(folder.HostName("DISC/VIDEO_TS/VTS_01_0.BUP"),
                          folder.HostName("DISC/VIDEO_TS/vts_01_0.bup"));
  std::vector<std::pair<std::string, Bytes>> files;
  for (const char* name : {"VIDEO_TS.IFO", "VIDEO_TS.BUP", "VTS_01_0.IFO", "vts_01_0.bup"})
    files.emplace_back(name, folder.ReadFile(std::string("DISC/VIDEO_TS/") + name));
  // The disc's files, or each as `bytes` long a run of its tenth byte.
  auto writeFiles = [&](const std::string& into, std::size_t bytes) {
    for (const auto& [name, b] : files) folder.WriteFile(into + "/" + name, bytes ? Bytes(bytes, b[9]) : b);
  };
  const std::string backup = folder.HostName("DISC/ORIGINAL_IFO"), older = "DISC/ORIGINAL_IFO_VIDEO_TS";
  auto write = [&](const char* name, Bytes bytes) { return [=, &folder] { folder.WriteFile(name, bytes); }; };
  Bytes flipped = files[2].second;
  flipped[0x100] ^= 1;
  const struct {
    bool made;  // by apply, before the change
    std::function<void()> change;
    std::string fault;  // restore's message, or what apply asks about
  } cases[] = {
      {false, [] {}, "元のIFOファイルのバックアップがありません.\n" + backup},
      {true, write("DISC/VIDEO_TS/VTS_01_2.VOB", Bytes(2048, 0x77)),
       "バックアップはこのフォルダのディスクから作られたものではありません."},
      {true,
       [&] {  // the record names a video file more than the folder has
         Bytes r = folder.ReadFile("DISC/ORIGINAL_IFO/DISC.TXT");
         std::string text(r.begin(), r.end());
         text.insert(text.rfind(".VOB\n") + 5, "0 VTS_01_9.VOB\n");
         folder.WriteFile("DISC/ORIGINAL_IFO/DISC.TXT", text);
       },
       "バックアップはこのフォルダのディスクから作られたものではありません."},
      {true, write("DISC/ORIGINAL_IFO/VTS_01_0.IFO", flipped),
       "バックアップのファイルが作られたときから変わっているか, 欠けています."},
      {false,
       [&] {
         folder.MakeDir("DISC/ORIGINAL_IFO");
         testdisc::DiscSpec other = testdisc::SimpleDisc(1, 3);
         other.titleSets[0].titleVobBytes = {5 * 2048};
         testdisc::BuiltDisc built = testdisc::BuildDisc(other);
         folder.WriteFile("DISC/ORIGINAL_IFO/VIDEO_TS.IFO", built.vmg.bytes);
         folder.WriteFile("DISC/ORIGINAL_IFO/VTS_01_0.IFO", built.vts[0].bytes);
       },
       "記録のない古いバックアップで, そのIFOファイルがこのフォルダのディスクと合いません."},
      {false, [&] { folder.MakeDir(older), writeFiles(older, 0); },
       "元のIFOファイルを復元しました.\nバックアップはそのまま残してあります: " + folder.HostName(older)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    std::filesystem::remove_all(backup);
    writeFiles("DISC/VIDEO_TS", 0);
    if (c.made) {
      MessageRecorder quiet;
      ASSERT_TRUE(EnsureOriginalBackup("C:\\DISC\\VIDEO_TS\\"));
    }
    c.change();
    writeFiles("DISC/VIDEO_TS", 10);
    const auto before = folder.Tree();
    MessageRecorder messages({platform::kOkAnswer, platform::kNoAnswer});
    const bool restores = c.fault.rfind("元のIFOファイルを復元しました", 0) == 0;
    EXPECT_EQ(RestoreOriginalBackup("C:\\DISC\\VIDEO_TS\\"), restores);
    const bool failsItsRecord = c.fault.back() == '.';
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{failsItsRecord ? c.fault + " 復元できません.\n" + backup : c.fault});
    if (failsItsRecord) {
      EXPECT_FALSE(EnsureOriginalBackup("C:\\DISC\\VIDEO_TS\\"));
      ASSERT_EQ(messages.messages().size(), 2u);
      EXPECT_EQ(messages.messages()[1].text.find(c.fault), messages.messages()[1].text.find('\n') + 1);
    }
    EXPECT_TRUE(restores || folder.Tree() == before);
    if (!restores) continue;
    ASSERT_TRUE(EnsureOriginalBackup("C:\\DISC\\VIDEO_TS\\"));
    for (const auto& [name, bytes] : files) {
      EXPECT_EQ(folder.ReadFile("DISC/VIDEO_TS/" + name), bytes) << name;
      EXPECT_EQ(folder.ReadFile("DISC/ORIGINAL_IFO/" + name), bytes) << name;
    }
    EXPECT_FALSE(folder.Exists(older));
  }
}

}  // namespace
