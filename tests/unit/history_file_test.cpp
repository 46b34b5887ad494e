// The history file beside the program: its name, what a start takes from
// it, and what an end writes.
#include "persist/history_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "disc/disc_state.h"
#include "persist/program_paths.h"
#include "tests/unit/file_size_limit.h"
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

}  // namespace
