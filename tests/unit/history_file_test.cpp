// What the program keeps between runs: the history file beside it (its
// name, what a start takes from it, what an end writes) and project files
// (the refusal of every file that could not be used safely, and a save that
// fails leaving the old project).
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "actions/get_info.h"
#include "disc/disc_state.h"
#include "persist/history_file.h"
#include "persist/program_paths.h"
#include "persist/project_file.h"
#include "tests/unit/file_size_limit.h"
#include "tests/unit/ifo_builder.h"
#include "tests/unit/message_recorder.h"
#include "tests/unit/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes HistoryBytes(const std::string& folder, int32_t preset, std::size_t size = 300) {
  Bytes b(300, 0);
  std::memcpy(b.data(), "REELWRITE0140HST", 16);
  std::memcpy(b.data() + 32, folder.data(), folder.size());
  std::memcpy(b.data() + 292, &preset, 4);
  b.resize(size);
  return b;
}

// The history's name is the program's with .DAT for its extension, never
// the program itself. A whole file is read and kept; one cut short is taken
// as far as it goes, then deleted; none leaves the defaults. What an end
// writes the next start reads; a file the disk had no room for goes rather
// than stay half written.
TEST(History, IsNamedForTheProgramReadAsFarAsItArrivedAndWrittenWhole) {
  const struct {
    std::string program, folder, history;
  } names[] = {
      {"C:\\Program Files\\Reel\\REEL.EXE", "C:\\Program Files\\Reel\\", "C:\\Program Files\\Reel\\REEL.DAT"},
      {"C:\\Tools\\reel.exe", "C:\\Tools\\", "C:\\Tools\\reel.DAT"},
      // 0x95 0x5C is 表: its second byte is no folder separator.
      {"C:\\\x95\x5C.exe", "C:\\", "C:\\\x95\x5C.DAT"},
  };
  for (const auto& c : names) {
    SetProgramPaths(c.program.c_str());
    EXPECT_EQ(ProgramFolder, c.folder);
    EXPECT_EQ(HistoryPath, c.history);
  }
  TempFolder temp;
  SetProgramPaths("C:\\Tools\\Reel.exe");
  temp.MakeDir("Tools");
  const struct {
    Bytes file;  // empty: no file
    std::string folder;
    int32_t preset;
  } cases[] = {
      {{}, "C:\\VIDEO_TS\\", 0},
      {HistoryBytes("D:\\DISC1", 9), "D:\\DISC1", 9},
      {HistoryBytes("D:\\A", 3, 299), "D:\\A", 3},
  };
  for (const auto& c : cases) {
    std::memset(&Disc, 0, sizeof Disc);
    if (!c.file.empty()) temp.WriteFile("Tools/Reel.DAT", c.file);
    LoadHistory();
    EXPECT_EQ(Disc.EditFolderText, c.folder);
    EXPECT_EQ(Disc.PresetIndex, c.preset);
    EXPECT_EQ(temp.Exists("Tools/Reel.DAT"), c.file.size() == 300);
  }
  std::memset(&Disc, 0, sizeof Disc);
  std::strcpy(Disc.EditFolderText, "D:\\DISC2");
  Disc.PresetIndex = 4;
  SaveHistory();
  EXPECT_EQ(temp.ReadFile("Tools/Reel.DAT"), HistoryBytes("D:\\DISC2", 4));
  EXPECT_TRUE(RunsWithFileSizeLimit(100, [] { return SaveHistory(), true; }));
  EXPECT_FALSE(temp.Exists("Tools/Reel.DAT"));
}

// A saved 2 x 2-title disc; every refused file leaves the state as it was,
// apart from ProjectPath.
TEST(Project, RefusedFilesLeaveTheStateAsItWas) {
  TempFolder temp;
  std::memset(&Disc, 0, sizeof Disc);
  testdisc::WriteDisc(temp.host(), testdisc::SimpleDisc(2, 2));
  MessageRecorder messages;
  ASSERT_EQ(GetInfo("C:\\", 0, 0), FolderRead);
  ASSERT_TRUE(SaveProjectFile("C:\\p.prj"));
  const Bytes good = temp.ReadFile("p.prj");
  Disc.PresetIndex = 6;  // the state a refused file must leave alone
  const Bytes before(reinterpret_cast<uint8_t*>(&Disc), reinterpret_cast<uint8_t*>(&Disc + 1));

  auto set = [](std::size_t at, int32_t value) {
    return [at, value](Bytes& f) { std::memcpy(f.data() + at, &value, 4); };
  };
  const std::string content = "プロジェクトの内容が異常です（";
  const struct {
    std::function<void(Bytes&)> change;
    std::string message;  // a part of the message
  } cases[] = {
      {[](Bytes& f) { f.resize(8398127); }, "プロジェクトの読み込みでエラーが発生しました."},
      {[](Bytes& f) { f[11] = '3'; }, "プロジェクトの形式が異常です.\n異なるバージョン"},
      {set(576, 16), content + "レジスタ番号"},
      {[set](Bytes& f) { set(568, 5)(f), set(564, 1)(f); }, content + "表示ページ"},  // 5 rows a page
      {set(8396524 + 8, 4), content + "ジャンプ先タイトル"},
      {set(4201292 + 0xC4, 0x7F000000), "VIDEO_TS.IFOが異常です"},  // the title table outside the file
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    Bytes file = good;
    c.change(file);
    messages.Clear();
    EXPECT_FALSE(LoadProjectBytes(file.data(), file.size()));
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_NE(messages.messages()[0].text.find(c.message), std::string::npos) << messages.messages()[0].text;
    EXPECT_TRUE(Bytes(reinterpret_cast<uint8_t*>(&Disc), reinterpret_cast<uint8_t*>(&Disc + 1)) == before);
  }
  EXPECT_TRUE(RunsWithFileSizeLimit(1 << 20, [] {
    MessageRecorder full;
    return !SaveProjectFile("C:\\p.prj") &&
           full.messages().back().text == "プロジェクトの書き込みでエラーが発生しました.";
  }));
  EXPECT_EQ(temp.ReadFile("p.prj"), good);
  EXPECT_FALSE(temp.Exists("p.prj.rwtmp"));
}

}  // namespace
