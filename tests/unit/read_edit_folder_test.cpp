// Reading the edit folder from real files behind drive C:.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
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

class ReadFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(&Disc, 0, sizeof Disc);
    temp.MakeDir("DVD");
  }
  std::string Dvd(const std::string& file = "") { return temp.HostName("DVD/" + file); }

  // Reads, and returns the one message shown ("" when none).
  std::string Read(const char* text, ReadOutcome expected) {
    recorder.Clear();
    EXPECT_EQ(ReadEditFolder(text), expected) << text;
    if (recorder.messages().empty()) return "";
    EXPECT_EQ(recorder.messages().size(), 1u);
    EXPECT_EQ(recorder.messages()[0].caption, "エラー");
    EXPECT_EQ(recorder.messages()[0].style, 48);
    return InDriveForm(recorder.messages()[0].text);
  }
  // Messages name files by their host paths, as the user knows them; the
  // expectations here are written in the engine's drive form.
  std::string InDriveForm(std::string text) {
    if (text.compare(0, temp.host().size(), temp.host()) != 0) return text;
    text.replace(0, temp.host().size(), "C:");
    for (char& c : text) c = c == '/' ? '\\' : c;
    return text;
  }
  // A good read first, so that a failure must undo it.
  void ReadGoodDisc() {
    WriteDisc(Dvd(), SimpleDisc(1, 1));
    ASSERT_EQ(Read("C:\\DVD", FolderRead), "");
  }
  void ExpectNoDisc() {
    EXPECT_EQ(Disc.TitleCount, 0);
    EXPECT_EQ(Disc.TitleSetCount, 0);
    for (int n = 0; n < 100; ++n) {
      ASSERT_EQ(Disc.IfoOffset[n] | Disc.IfoSize[n] | Disc.TitleVobBase[n] | Disc.TitleVobSectors[n], 0) << n;
    }
  }

  TempFolder temp;
  MessageRecorder recorder;
};

}  // namespace

// Names are found in any case, as a Linux ISO 9660 mount shows them.
TEST_F(ReadFolder, ReadsEveryFileAndMeasuresTheVobs) {
  DiscSpec d = SimpleDisc(3, 2);
  d.vmg.menuVobBytes = 10 * 2048 + 5;
  d.titleSets[0].titleVobBytes = {2048 * 100, 2048 * 7};
  d.titleSets[2].titleVobBytes = {2048 * 3, 2048, 2048, 2048, 2048,
                                  2048,     2048, 2048, 2048};  // the most parts
  d.titleSets[2].menuVobBytes = 2048 * 4;
  BuiltDisc b = BuildDisc(d);
  WriteDisc(Dvd(), b);
  for (const auto& e : std::filesystem::directory_iterator(Dvd())) {
    std::string name = e.path().filename();
    for (char& c : name) c = char(std::tolower(c));
    std::filesystem::rename(e.path(), Dvd(name));
  }
  for (const char* text : {"C:\\DVD", "C:\\DVD\\"}) {
    ASSERT_EQ(Read(text, FolderRead), "");
    EXPECT_STREQ(Disc.EditFolder, "C:\\DVD\\");
    EXPECT_EQ(Disc.TitleCount * 10 + Disc.TitleSetCount, 63);
    std::vector<uint8_t> store = b.vmg.bytes;
    for (const BuiltImage& vts : b.vts) store.insert(store.end(), vts.bytes.begin(), vts.bytes.end());
    EXPECT_EQ(0, std::memcmp(Disc.IfoStore, store.data(), store.size()));
    EXPECT_EQ(Disc.IfoOffset[3], Disc.IfoSize[0] + Disc.IfoSize[1] + Disc.IfoSize[2]);
    EXPECT_EQ(Disc.IfoSize[3], int32_t(b.vts[2].bytes.size()));
    EXPECT_EQ(std::vector<int32_t>(Disc.VobSectors + 11, Disc.VobSectors + 13),
              (std::vector<int32_t>{100, 7}));
    EXPECT_EQ(Disc.VobSectors[31], 3);
    EXPECT_EQ(std::vector<int32_t>(Disc.TitleVobCount, Disc.TitleVobCount + 4),
              (std::vector<int32_t>{2, 0, 9, 0}));
    EXPECT_EQ(std::vector<int32_t>(Disc.TitleVobBase, Disc.TitleVobBase + 5),
              (std::vector<int32_t>{0, 0, 107, 107, 118}));
    int64_t info = (10 * 2048 + 5 + 2048 * 4 + 2 * int64_t(store.size())) / 2048;
    EXPECT_EQ(std::vector<int32_t>(Disc.TitleVobSectors, Disc.TitleVobSectors + 4),
              (std::vector<int32_t>{int32_t(info), 107, 0, 11}));
    EXPECT_EQ(Disc.MenuVobSize[0] + Disc.MenuVobSize[1] + Disc.MenuVobSize[3], 14 * 2048 + 5);
  }
}

// A refused text keeps the edit folder and drops the disc; folder paths up
// to 247 bytes leave room for every file name.
TEST_F(ReadFolder, FolderTexts) {
  auto deep = [&](std::size_t length) {  // "C:\" + nested names, the text `length` bytes
    std::string host = "deep" + std::to_string(length), text = "C:\\" + host;
    temp.MakeDir(host);
    while (text.size() < length) {
      std::string name(std::min<std::size_t>(100, length - text.size() - 1), 'x');
      host += "/" + name, text += "\\" + name;
      temp.MakeDir(host);
    }
    WriteDisc(temp.HostName(host), SimpleDisc(1, 1));
    return text;
  };
  WriteDisc(temp.host(), SimpleDisc(1, 2));
  temp.MakeDir("DVD表");
  WriteDisc(temp.HostName("DVD表"), SimpleDisc(1, 3));
  const std::string fullPath = "編集先フォルダはフルパス（例：C:\\IN_DATA）で指定してください.";
  const std::string missing = "編集先フォルダが存在しません.", tooLong = "編集先フォルダのパスが長すぎます.";
  const std::string fits = deep(246);
  const struct {
    std::string text, message, editFolder = "C:\\KEPT\\";  // message "": read
    int titles = 0;
  } cases[] = {
      {"DVD", fullPath},
      {"C:DVD", fullPath},
      {"C:\\NOPE", missing},
      {"C:\\DVD\\VIDEO_TS.IFO", missing},
      {"C:\\" + std::string(256, 'A'), tooLong},
      {deep(247), tooLong},
      {fits, "", fits + "\\", 1},
      {"C:", "", "C:\\", 2},
      {"C:\\DVD\x95\x5C", "", "C:\\DVD\x95\x5C\\", 3},  // 表 ends in 0x5C
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    ReadGoodDisc();
    std::strcpy(Disc.EditFolder, "C:\\KEPT\\");
    EXPECT_EQ(Read(c.text.c_str(), c.message.empty() ? FolderRead : FolderRejected), c.message);
    EXPECT_EQ(Disc.EditFolder, c.editFolder);
    EXPECT_EQ(Disc.TitleCount, c.titles);
    if (!c.message.empty()) ExpectNoDisc();
  }
  std::remove(temp.HostName("DVD表/VTS_01_0.IFO").c_str());
  Read("C:\\DVD\x95\x5C", FilesRejected);
  EXPECT_EQ(recorder.messages()[0].text, temp.HostName("DVD表/VTS_01_0.IFO") + "が存在しません.");
}

// Every title set the video manager declares, every VOB sector its address
// tables name, and the information files whole in the store: execute would
// write wrong addresses for a folder missing any.
TEST_F(ReadFolder, FileFaultsNameTheFileAndDropTheDisc) {
  const std::string vobs = "が足りません（VTS_01_0.IFOは",
                    sectors = "セクタ目まで参照していますが, ファイルは";
  const std::string check = "セクタです）. フォルダのファイルが欠けていないか確認してください.";
  const struct {
    std::string message;  // after the folder
    std::function<void(BuiltDisc&)> change;
    std::vector<const char*> removed;
  } cases[] = {
      {"VIDEO_TS.IFOが存在しません.", nullptr, {"VIDEO_TS.IFO"}},
      {"VTS_02_0.IFOが存在しません.", nullptr, {"VTS_02_0.IFO"}},
      {"VIDEO_TS.IFOが異常です（サイズ異常）.", [](BuiltDisc& b) { b.vmg.bytes.resize(4095); }, {}},
      {"VTS_02_0.IFOが異常です（サイズが2KBの整数倍でない）.",
       [](BuiltDisc& b) { b.vts[1].bytes.resize(3 * 2048 + 100); },
       {}},
      {"VTS_01_1.VOBのファイルサイズが異常です（2KBの整数倍でない）.",
       [](BuiltDisc& b) { b.titleVobBytes[0] = {1073741825}; },
       {}},
      {"VTS_02_2.VOBのファイルサイズが異常です（4GB以上）.",
       [](BuiltDisc& b) {
         b.titleVobBytes[1] = {2048, 4294967296u};
       },
       {}},
      {"VIDEO_TS.IFOが異常です（サイズが2MBを超えています）.",
       [](BuiltDisc& b) { b.vmg.bytes.resize(kVmgImageCapacity + 2048); },
       {}},
      // The title VOBs' address tables reach sector 4: a part missing, or
      // no VOBs at all beside the IFOs.
      {"VTS_01_1.VOB〜" + vobs + "4" + sectors + "3" + check, nullptr, {"VTS_01_2.VOB"}},
      {"VTS_01_1.VOB〜" + vobs + "4" + sectors + "0" + check, nullptr, {"VTS_01_1.VOB", "VTS_01_2.VOB"}},
      // VTS_01 fills the store exactly: read whole, and VTS_02 then gets no
      // room; one byte more, and VTS_01 itself would be cut short.
      {"VTS_02_0.IFOが異常です（サイズ異常）.",
       [](BuiltDisc& b) { b.vts[0].bytes.resize(kIfoStoreCapacity - 4096); },
       {}},
      {"VTS_01_0.IFOを読み込めません（IFOファイルの合計が4MBを超えています）.",
       [](BuiltDisc& b) { b.vts[0].bytes.resize(kIfoStoreCapacity - 4096 + 1); },
       {}},
  };
  int i = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    ReadGoodDisc();
    std::string folder = "F" + std::to_string(++i);
    temp.MakeDir(folder);
    DiscSpec d = SimpleDisc(2, 1);
    d.vmg.following = {0, 0, 0, 0, 0};  // a VIDEO_TS.IFO of exactly 4096 bytes, which passes
    d.titleSets[0].menuVobBytes = 2 * 2048;
    d.titleSets[0].titleVobBytes = {3 * 2048, 2048};
    BuiltDisc b = BuildDisc(d);
    ASSERT_EQ(b.vmg.bytes.size(), 4096u);
    if (c.change) c.change(b);
    WriteDisc(temp.HostName(folder), b);
    for (const char* file : c.removed) std::remove(temp.HostName(folder + "/" + file).c_str());
    std::string text = "C:\\" + folder;
    EXPECT_EQ(Read(text.c_str(), FilesRejected), text + "\\" + c.message);
    EXPECT_EQ(Disc.EditFolder, text + "\\");
    ExpectNoDisc();
  }
}

// Players read a BUP when its IFO is damaged; so does reading, and says so.
TEST_F(ReadFolder, ADamagedIfoIsReadFromItsBupAndADifferentBupIsNamed) {
  const struct {
    bool damageIfo;  // else the BUP differs in a post command
    const char* says;
  } cases[] = {
      {true, "VTS_01_0.IFOが異常です（タイトル1のPGC情報が範囲外を指しています）.\n代わりにバックアップの"},
      {false, "VTS_01_0.IFOと"},
      {false, nullptr},  // no BUP: execute writes one, nothing to say
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.says);
    BuiltDisc b = BuildDisc(SimpleDisc(1, 1));
    WriteDisc(Dvd(), b);
    BuiltImage changed = b.vts[0];
    if (c.damageIfo) {
      WriteBe32(changed.Ptr("VTSI_MAT", 0xCC), 0x7FFF);
    } else {
      *changed.Ptr("pgc 1 post", 1) = 0x01;
    }
    WriteBytes(Dvd(c.damageIfo ? "VTS_01_0.IFO" : "VTS_01_0.BUP"), changed.bytes);
    if (!c.says) std::filesystem::remove(Dvd("VTS_01_0.BUP"));
    recorder.Clear();
    ASSERT_EQ(ReadEditFolder("C:\\DVD"), FolderRead);
    ASSERT_EQ(recorder.messages().size(), c.says ? 1u : 0u);
    if (c.says) {
      EXPECT_EQ(InDriveForm(recorder.messages()[0].text).rfind(std::string("C:\\DVD\\") + c.says, 0), 0u)
          << recorder.messages()[0].text;
      EXPECT_EQ(recorder.messages()[0].caption, "情報");
    }
    // The good image in either case: execute writes it into both files.
    EXPECT_EQ(std::vector<uint8_t>(VtsImage(1), VtsImage(1) + Disc.IfoSize[1]), b.vts[0].bytes);
  }
}
