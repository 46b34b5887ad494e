// Discs whose tables point outside their files are refused when read.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

#include "disc/byte_order.h"
#include "disc/disc_state.h"
#include "disc/read_edit_folder.h"
#include "tests/unit/ifo_builder.h"
#include "tests/unit/message_recorder.h"
#include "tests/unit/temp_folder.h"

using namespace testdisc;

namespace {

// Two title sets of two titles; menus in two language units.
DiscSpec BaseDisc() {
  DiscSpec d = SimpleDisc(2, 2);
  d.vmg.menus = {{"en"}, {"ja"}};
  d.vmg.menus[0].pgcs.resize(3);
  d.vmg.menus[1].pgcs.resize(1);
  return d;
}

class DiscCheck : public ::testing::Test {
 protected:
  void SetUp() override { std::memset(&Disc, 0, sizeof Disc); }

  // Writes the disc to its own folder, reads it, returns the message ("" if none).
  std::string Read(const BuiltDisc& b, ReadOutcome expected) {
    std::string folder = "F" + std::to_string(++folders_);
    temp.MakeDir(folder);
    WriteDisc(temp.HostName(folder), b);
    recorder.Clear();
    EXPECT_EQ(ReadEditFolder(("C:\\" + folder).c_str()), expected);
    EXPECT_TRUE(expected == FolderRead || Disc.TitleCount + Disc.TitleSetCount == 0) << "disc kept";
    if (recorder.messages().size() != 1) return recorder.messages().empty() ? "" : "several messages";
    // Without the folder, which differs per case.
    const std::string& text = recorder.messages()[0].text;
    return text.substr(std::min(text.size(), temp.HostName(folder + "/").size()));
  }

  TempFolder temp;
  MessageRecorder recorder;
  int folders_ = 0;
};

void Put32(BuiltImage& image, const char* at, std::size_t plus, int32_t value) {
  WriteBe32(image.Ptr(at, plus), value);
}

}  // namespace

TEST_F(DiscCheck, RefusesTablesPointingOutsideTheirFiles) {
  const std::pair<std::string, std::function<void(BuiltDisc&)>> cases[] = {
      {"VIDEO_TS.IFOが異常です（タイトル情報が範囲外を指しています）.",
       [](BuiltDisc& b) { Put32(b.vmg, "VMGI_MAT", 0xC4, int32_t(b.vmg.bytes.size() / 2048)); }},
      // Sector 0 is the file's own header, never a table.
      {"VIDEO_TS.IFOが異常です（タイトル情報が範囲外を指しています）.",
       [](BuiltDisc& b) { Put32(b.vmg, "VMGI_MAT", 0xC4, 0); }},
      {"VIDEO_TS.IFOが異常です（タイトル数が99を超えています）.",
       [](BuiltDisc& b) { WriteBe16(b.vmg.Ptr("TT_SRPT"), 100); }},
      {"VTS_01_0.IFOが異常です（タイトル1のPGC情報が範囲外を指しています）.",
       [](BuiltDisc& b) { Put32(b.vts[0], "VTSI_MAT", 0xCC, 0x7FFF); }},
      {"VTS_01_0.IFOが異常です（タイトル1のチャプター情報が範囲外を指しています）.",
       [](BuiltDisc& b) { Put32(b.vts[0], "VTSI_MAT", 0xC8, 0x7FFF); }},
      {"VTS_02_0.IFOが異常です（タイトル3のチャプター情報が範囲外を指しています）.",
       [](BuiltDisc& b) { Put32(b.vts[1], "VTS_PTT_SRPT", 8 + 4, 0x100); }},  // title 3's run past the end
      {"VTS_02_0.IFOが異常です（タイトル3のPGC3がPGC情報にありません）.",
       [](BuiltDisc& b) { WriteBe16(b.vts[1].Ptr("VTS_PTT_SRPT", 8 + 4 * 2), 3); }},
      {"VTS_02_0.IFOが異常です（タイトル4のPGCが範囲外を指しています）.",
       [](BuiltDisc& b) { Put32(b.vts[1], "VTS_PGCIT", 8 * 2 + 4, 0x100000); }},
      {"VTS_01_0.IFOが異常です（タイトル1のPGCが範囲外を指しています）.",
       [](BuiltDisc& b) { Put32(b.vts[0], "VTS_PGCIT", 8 + 4, -8); }},
      {"VTS_02_0.IFOが異常です（タイトル3のコマンドが範囲外にあります）.",
       [](BuiltDisc& b) {
         WriteBe16(b.vts[1].Ptr("pgc 1", 0xE4), uint16_t(b.vts[1].bytes.size() - b.vts[1].At("pgc 1") - 7));
       }},
      {"VTS_01_0.IFOが異常です（タイトル2のコマンドが範囲外にあります）.",
       [](BuiltDisc& b) { WriteBe16(b.vts[0].Ptr("pgc 2 cmd", 2), 0xFFFF); }},
      {"VTS_01_0.IFOが異常です（タイトル2のコマンドが範囲外にあります）.",  // the cell commands alone
       [](BuiltDisc& b) { WriteBe16(b.vts[0].Ptr("pgc 2 cmd", 4), 0xFFFF); }},
      {"VTS_01_0.IFOが異常です（タイトル1のポストコマンドがPGC情報と重なっています）.",
       [](BuiltDisc& b) {  // title 1's chain at the table start: its post command is title 2's search pointer
         const uint8_t pointer[8] = {0, 0, 0, 1, 0, 0, 0, 0};  // 0 pre, 1 post command; chain at offset 0
         std::memcpy(b.vts[0].Ptr("VTS_PGCIT", 8), pointer, 8);
         WriteBe16(b.vts[0].Ptr("VTS_PGCIT", 0xE4), 8);
       }},
      {"VTS_02_0.IFOが異常です（タイトル3のポストコマンドがPGC情報と重なっています）.",
       [](BuiltDisc& b) {  // title 3's command table moved into title 4's chain header
         WriteBe16(b.vts[1].Ptr("pgc 1", 0xE4),
                   uint16_t(b.vts[1].At("pgc 2") + 0xE4 - 16 - b.vts[1].At("pgc 1")));
         WriteBe16(b.vts[1].Ptr("pgc 2", 0xE4 - 16 + 2), 1);  // its one post command there
       }},
      {"VTS_02_0.IFOが異常です（VOBのアドレス情報が範囲外にあります）.",
       [](BuiltDisc& b) { Put32(b.vts[1], "VTS_VOBU_ADMAP", 0, 0x100000); }},
      {"VIDEO_TS.IFOが異常です（メニュー情報が範囲外を指しています）.",
       [](BuiltDisc& b) { Put32(b.vmg, "VMGI_MAT", 0xC8, -1); }},
      // Each fault of the menu table walker has its message (the faults
      // themselves: ifo_tables_test.cpp).
      {"VIDEO_TS.IFOが異常です（メニュー情報が範囲外にあります）.",
       [](BuiltDisc& b) { Put32(b.vmg, "VMGM_PGCI_UT", 4, 0x100000); }},
      {"VIDEO_TS.IFOが異常です（メニューの言語ユニット2にPGCがありません）.",
       [](BuiltDisc& b) { WriteBe16(b.vmg.Ptr("lu 2"), 0); }},
      {"VIDEO_TS.IFOが異常です（メニューの言語ユニット1のPGC2が範囲外を指しています）.",
       [](BuiltDisc& b) { Put32(b.vmg, "lu 1", 8 + 8 + 4, int32_t(b.vmg.At("lu 2") - b.vmg.At("lu 1"))); }},
      // A file just under 2 MiB has no room for the dispatcher, in a new
      // menu table or in its own.
      {"VIDEO_TS.IFOが異常です（メニュー情報を加えると2MBを超えます）.",
       [](BuiltDisc& b) {
         Put32(b.vmg, "VMGI_MAT", 0xC8, 0);
         b.vmg.bytes.resize(kVmgImageCapacity - 2048);
       }},
      {"VIDEO_TS.IFOが異常です（メニュー情報を加えると2MBを超えます）.",
       [](BuiltDisc& b) { b.vmg.bytes.resize(kVmgImageCapacity - 2048); }},
  };
  for (const auto& [message, change] : cases) {
    BuiltDisc b = BuildDisc(BaseDisc());
    change(b);
    EXPECT_EQ(Read(b, FilesRejected), message);
  }
}

TEST_F(DiscCheck, AcceptsTitlesWithoutProgramChainsAndEdgeSizes) {
  DiscSpec d = BaseDisc();
  d.vmg.titles.push_back({5, 1});  // no such title set
  d.vmg.titles.push_back({1, 0});  // no such title
  d.vmg.titles.push_back({2, 100});
  d.titleSets[0].titlePgcs[0].noCommandTable = true;
  EXPECT_EQ(Read(BuildDisc(d), FolderRead), "");
  EXPECT_EQ(Disc.TitleCount, 7);

  EXPECT_EQ(Read(BuildDisc(SimpleDisc(1, 99)), FolderRead), "");
  // Layout fields that record more than the files hold: a small video
  // manager set rounded up, a gap before a BUP.
  d = SimpleDisc(1, 1);
  d.titleSets[0].titleVobBytes = {5 * 2048};
  BuiltDisc padded = BuildDisc(d);
  Put32(padded.vmg, "VMGI_MAT", 0x0C, 31);
  Put32(padded.vts[0], "VTSI_MAT", 0x0C, 31);
  EXPECT_EQ(Read(padded, FolderRead), "");
  d = SimpleDisc(1, 1);
  d.vmg.menuTable = true;  // a menu table without language units
  EXPECT_EQ(Read(BuildDisc(d), FolderRead), "");
}

TEST_F(DiscCheck, RefusesAMenuTableThatWouldOutgrowItsBuffer) {
  // Every chain is 252 bytes with its search pointer; the prepared table
  // pads the one-chain unit with a filler for each chain the other has. One
  // unit alone gains only its dispatcher, so it fits at any of these sizes.
  for (int pgcs : {4000, 4100}) {
    for (bool padded : {true, false}) {
      DiscSpec d = SimpleDisc(1, 1);
      d.vmg.menus = {{"en"}};
      d.vmg.menus[0].pgcs.resize(pgcs);
      if (padded) d.vmg.menus.push_back({"fr", 0x80, {Pgc{}}});
      bool fits = pgcs == 4000 || !padded;
      EXPECT_EQ(Read(BuildDisc(d), fits ? FolderRead : FilesRejected),
                fits ? "" : "VIDEO_TS.IFOが異常です（メニュー情報が大きすぎます）.");
    }
  }
}
