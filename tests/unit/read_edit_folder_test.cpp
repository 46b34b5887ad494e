// Reading the edit folder from real files behind drive C:, and every fault
// of its files and tables refused with the file named, the disc dropped.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "disc/byte_order.h"
#include "disc/disc_state.h"
#include "disc/read_edit_folder.h"
#include "tests/unit/ifo_builder.h"
#include "tests/unit/message_recorder.h"
#include "tests/unit/temp_folder.h"

using namespace testdisc;

namespace {

class ReadFolder : public ::testing::Test {
 protected:
  void SetUp() override { std::memset(&Disc, 0, sizeof Disc); }

  // A folder of its own holding the disc, less the files named.
  std::string Write(const BuiltDisc& b, const std::vector<const char*>& removed = {}) {
    std::string folder = "F" + std::to_string(++folders_);
    temp.MakeDir(folder);
    WriteDisc(temp.HostName(folder), b);
    for (const char* file : removed) std::filesystem::remove(temp.HostName(folder + "/" + file));
    return folder;
  }
  // Reads the folder; the one message shown, without the folder ("" if none).
  std::string Read(const std::string& folder, ReadOutcome expected) {
    recorder.Clear();
    EXPECT_EQ(ReadEditFolder(("C:\\" + folder).c_str()), expected);
    EXPECT_TRUE(expected == FolderRead || Disc.TitleCount + Disc.TitleSetCount == 0) << "disc kept";
    if (recorder.messages().size() != 1) return recorder.messages().empty() ? "" : "several messages";
    const std::string& text = recorder.messages()[0].text;
    return text.substr(std::min(text.size(), temp.HostName(folder + "/").size()));
  }

  TempFolder temp;
  MessageRecorder recorder;
  int folders_ = 0;
};

// Points chain 1's command table at byte `at` of the image, one post command in it.
void MoveCommands(BuiltImage& vts, std::size_t at) {
  WriteBe16(vts.Ptr("pgc 1", 0xE4), uint16_t(at - vts.At("pgc 1")));
  WriteBe16(&vts.bytes[at + 2], 1);
}

}  // namespace

// Names in any case, as a Linux ISO 9660 mount shows them; a set of the
// most VOB parts there are; the most titles, of which those outside the
// title sets or without chapters have no chain to check; a menu table whose
// one-chain unit the prepared table pads to the other's 4000 chains (252
// bytes each with its search pointer), inside its buffer.
TEST_F(ReadFolder, ReadsTheLargestDiscInAnyCase) {
  DiscSpec d = SimpleDisc(2, 48);
  d.vmg.menus = {{"en", 0x80, std::vector<Pgc>(4000)}, {"fr", 0x80, {Pgc{}}}};
  d.vmg.titles.insert(d.vmg.titles.end(), {{5, 1}, {1, 0}, {2, 100}});
  d.titleSets[0].titlePgcs[0].noCommandTable = true;
  d.titleSets[1].titleVobBytes = std::vector<uint64_t>(9, 2048);
  BuiltDisc b = BuildDisc(d);
  std::string folder = Write(b);
  for (const auto& e : std::filesystem::directory_iterator(temp.HostName(folder))) {
    std::string name = e.path().filename();
    for (char& c : name) c = char(std::tolower(c));
    std::filesystem::rename(e.path(), temp.HostName(folder + "/" + name));
  }
  EXPECT_EQ(Read(folder, FolderRead), "");
  EXPECT_EQ(Disc.TitleCount, 99);
  EXPECT_EQ(Disc.TitleVobCount[1], 9);
  std::vector<uint8_t> store = b.vmg.bytes;
  for (const BuiltImage& vts : b.vts) store.insert(store.end(), vts.bytes.begin(), vts.bytes.end());
  EXPECT_EQ(0, std::memcmp(Disc.IfoStore, store.data(), store.size()));
}

TEST_F(ReadFolder, RefusesWhatItCannotReadOrWouldWriteWrongAddressesFor) {
  const std::string vobs = "が足りません（VTS_01_0.IFOは",
                    sectors = "セクタ目まで参照していますが, ファイルは",
                    check = "セクタです）. フォルダのファイルが欠けていないか確認してください.";
  const struct {
    std::string message;
    std::function<void(BuiltDisc&)> change;
    std::vector<const char*> removed = {};
  } cases[] = {
      {"VIDEO_TS.IFOが存在しません.", nullptr, {"VIDEO_TS.IFO"}},
      {"VTS_02_0.IFOが存在しません.", nullptr, {"VTS_02_0.IFO"}},
      {"VIDEO_TS.IFOが異常です（サイズ異常）.", [](BuiltDisc& b) { b.vmg.bytes.resize(4095); }},
      {"VTS_02_0.IFOが異常です（サイズが2KBの整数倍でない）.",
       [](BuiltDisc& b) { b.vts[1].bytes.resize(3 * 2048 + 100); }},
      {"VTS_01_1.VOBのファイルサイズが異常です（2KBの整数倍でない）.",
       [](BuiltDisc& b) { b.titleVobBytes[0] = {1073741825}; }},
      {"VTS_02_2.VOBのファイルサイズが異常です（4GB以上）.",
       [](BuiltDisc& b) {
         b.titleVobBytes[1] = std::vector<uint64_t>{2048, 1ull << 32};
       }},
      {"VIDEO_TS.IFOが異常です（サイズが2MBを超えています）.",
       [](BuiltDisc& b) { b.vmg.bytes.resize(kVmgImageCapacity + 2048); }},
      {"VTS_01_0.IFOを読み込めません（IFOファイルの合計が4MBを超えています）.",
       [](BuiltDisc& b) { b.vts[0].bytes.resize(kIfoStoreCapacity - b.vmg.bytes.size() + 1); }},
      {"VIDEO_TS.IFOが異常です（タイトルセット数が異常です）.",
       [](BuiltDisc& b) { WriteBe16(b.vmg.Ptr("VMGI_MAT", 0x3E), 0); }},
      // The title VOBs' address tables reach sector 4: a part missing, no
      // VOBs beside the IFOs, or the menu VOB's tables reaching as far.
      {"VTS_01_1.VOB〜" + vobs + "4" + sectors + "3" + check, nullptr, {"VTS_01_2.VOB"}},
      {"VTS_01_1.VOB〜" + vobs + "4" + sectors + "0" + check, nullptr, {"VTS_01_1.VOB", "VTS_01_2.VOB"}},
      {"VTS_01_0.VOB" + vobs + "4" + sectors + "2" + check,
       [](BuiltDisc& b) { std::memcpy(b.vts[0].Ptr("VTSI_MAT", 0xD8), b.vts[0].Ptr("VTSI_MAT", 0xE0), 4); }},
      {"VTS_02_0.IFOが異常です（VOBのアドレス情報が範囲外にあります）.",
       [](BuiltDisc& b) { WriteBe32(b.vts[1].Ptr("VTS_VOBU_ADMAP"), 0x100000); }},
      // Tables outside their files; sector 0 is the file's own header.
      {"VIDEO_TS.IFOが異常です（タイトル情報が範囲外を指しています）.",
       [](BuiltDisc& b) { WriteBe32(b.vmg.Ptr("VMGI_MAT", 0xC4), int32_t(b.vmg.bytes.size() / 2048)); }},
      {"VIDEO_TS.IFOが異常です（タイトル数が99を超えています）.",
       [](BuiltDisc& b) { WriteBe16(b.vmg.Ptr("TT_SRPT"), 100); }},
      {"VTS_01_0.IFOが異常です（タイトル1のPGC情報が範囲外を指しています）.",
       [](BuiltDisc& b) { WriteBe32(b.vts[0].Ptr("VTSI_MAT", 0xCC), 0x7FFF); }},
      {"VTS_01_0.IFOが異常です（タイトル1のチャプター情報が範囲外を指しています）.",
       [](BuiltDisc& b) { WriteBe32(b.vts[0].Ptr("VTSI_MAT", 0xC8), 0x7FFF); }},
      {"VTS_02_0.IFOが異常です（タイトル3のチャプター情報が範囲外を指しています）.",
       [](BuiltDisc& b) { WriteBe32(b.vts[1].Ptr("VTS_PTT_SRPT", 8 + 4), 0x100); }},
      {"VTS_02_0.IFOが異常です（タイトル3のPGC3がPGC情報にありません）.",
       [](BuiltDisc& b) { WriteBe16(b.vts[1].Ptr("VTS_PTT_SRPT", 8 + 4 * 2), 3); }},
      {"VTS_02_0.IFOが異常です（タイトル4のPGCが範囲外を指しています）.",
       [](BuiltDisc& b) { WriteBe32(b.vts[1].Ptr("VTS_PGCIT", 8 * 2 + 4), 0x100000); }},
      {"VTS_02_0.IFOが異常です（タイトル3のコマンドが範囲外にあります）.",
       [](BuiltDisc& b) { MoveCommands(b.vts[1], b.vts[1].bytes.size() - 7); }},
      {"VTS_01_0.IFOが異常です（タイトル2のコマンドが範囲外にあります）.",  // the cell commands alone
       [](BuiltDisc& b) { WriteBe16(b.vts[0].Ptr("pgc 2 cmd", 4), 0xFFFF); }},
      // A post command on what leads to a title's commands: the search
      // pointers, another chain's header, another chain's command table.
      {"VTS_01_0.IFOが異常です（タイトル1のポストコマンドがPGC情報と重なっています）.",
       [](BuiltDisc& b) {  // chain 1 at the table start: its post command is chain 2's search pointer
         std::memcpy(b.vts[0].Ptr("VTS_PGCIT", 8), C("00 00 00 01 00 00 00 00").data(), 8);
         WriteBe16(b.vts[0].Ptr("VTS_PGCIT", 0xE4), 8);
       }},
      {"VTS_02_0.IFOが異常です（タイトル3のポストコマンドがPGC情報と重なっています）.",
       [](BuiltDisc& b) { MoveCommands(b.vts[1], b.vts[1].At("pgc 2") + 0xE4 - 16); }},
      {"VTS_02_0.IFOが異常です（タイトル3のポストコマンドがPGC情報と重なっています）.",
       [](BuiltDisc& b) { MoveCommands(b.vts[1], b.vts[1].At("pgc 2") + 0xE8); }},
      // The menu table, and each fault of its walker.
      {"VIDEO_TS.IFOが異常です（メニュー情報が範囲外を指しています）.",
       [](BuiltDisc& b) { WriteBe32(b.vmg.Ptr("VMGI_MAT", 0xC8), -1); }},
      {"VIDEO_TS.IFOが異常です（メニュー情報が範囲外にあります）.",
       [](BuiltDisc& b) { WriteBe32(b.vmg.Ptr("VMGM_PGCI_UT", 4), 0x100000); }},
      {"VIDEO_TS.IFOが異常です（メニューの言語ユニット2にPGCがありません）.",
       [](BuiltDisc& b) { WriteBe16(b.vmg.Ptr("lu 2"), 0); }},
      {"VIDEO_TS.IFOが異常です（メニューの言語ユニット1のPGC2が範囲外を指しています）.",
       [](BuiltDisc& b) {
         WriteBe32(b.vmg.Ptr("lu 1", 8 + 8 + 4), int32_t(b.vmg.At("lu 2") - b.vmg.At("lu 1")));
       }},
      // A file just under 2 MiB has no room for the dispatcher; 100 chains
      // more than the largest disc's pad the table past its buffer.
      {"VIDEO_TS.IFOが異常です（メニュー情報を加えると2MBを超えます）.",
       [](BuiltDisc& b) { b.vmg.bytes.resize(kVmgImageCapacity - 2048); }},
      {"VIDEO_TS.IFOが異常です（メニュー情報が大きすぎます）.",
       [](BuiltDisc& b) {
         DiscSpec d = SimpleDisc(1, 1);
         d.vmg.menus = {{"en", 0x80, std::vector<Pgc>(4100)}, {"fr", 0x80, {Pgc{}}}};
         b = BuildDisc(d);
       }},
  };
  DiscSpec d = SimpleDisc(2, 2);
  d.vmg.menus = {{"en", 0x80, std::vector<Pgc>(3)}, {"ja", 0x80, std::vector<Pgc>(1)}};
  d.titleSets[0].menuVobBytes = 2 * 2048;
  d.titleSets[0].titleVobBytes = {3 * 2048, 2048};
  for (const auto& c : cases) {
    BuiltDisc b = BuildDisc(d);
    if (c.change) c.change(b);
    EXPECT_EQ(Read(Write(b, c.removed), FilesRejected), c.message);
  }
}

// Players read a BUP when its IFO is damaged; so does reading, and says so.
TEST_F(ReadFolder, ADamagedIfoIsReadFromItsBupAndADifferentBupIsNamed) {
  const struct {
    const char* file;  // written cut short or with another post command
    const char* says;
  } cases[] = {
      {"VTS_01_0.IFO", "VTS_01_0.IFOが異常です（サイズ異常）.\n代わりにバックアップの"},
      {"VTS_01_0.BUP", "VTS_01_0.IFOと"},
      {"VTS_01_1.BUP", ""},  // no BUP, only a file of another name: execute writes one, nothing to say
  };
  for (const auto& c : cases) {
    BuiltDisc b = BuildDisc(SimpleDisc(1, 1));
    std::string folder = Write(b, {"VTS_01_0.BUP"});
    BuiltImage changed = b.vts[0];
    *changed.Ptr("pgc 1 post", 1) = 0x01;
    if (c.file[9] == 'I')
      changed.bytes.resize(4095), temp.WriteFile(folder + "/VTS_01_0.BUP", b.vts[0].bytes);
    temp.WriteFile(folder + "/" + c.file, changed.bytes);
    std::string says = Read(folder, FolderRead);
    EXPECT_EQ(says.substr(0, says.find(temp.host())), c.says);  // up to the BUP's path
    // The good image in either case: execute writes it into both files.
    EXPECT_EQ(std::vector<uint8_t>(VtsImage(1), VtsImage(1) + Disc.IfoSize[1]), b.vts[0].bytes);
  }
}
