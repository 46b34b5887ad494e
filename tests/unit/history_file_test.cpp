// The history file beside the program: its name, what a start takes from
// it, and what an end writes.
#include "persist/history_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "disc/disc_state.h"
#include "persist/program_paths.h"
#include "tests/unit/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(ProgramPaths, FolderAndAHistoryNameThatIsNeverTheProgram) {
  const std::string longName = "C:\\" + std::string(252, 'a');  // 255 bytes; 259 with ".DAT"
  const std::string tooLong = longName + "b";
  struct Case {
    std::string program, folder, history;
  } cases[] = {
      {"C:\\Program Files\\Reel\\REEL.EXE", "C:\\Program Files\\Reel\\", "C:\\Program Files\\Reel\\REEL.DAT"},
      {"C:\\Tools\\reel.exe", "C:\\Tools\\", "C:\\Tools\\reel.DAT"},
      {"Z:\\usr\\bin\\reelwrite", "Z:\\usr\\bin\\", "Z:\\usr\\bin\\reelwrite.DAT"},
      {"C:\\.EXE", "C:\\", "C:\\.DAT"},
      {"C:\\Tools\\reel.DAT", "C:\\Tools\\", "C:\\Tools\\reel.DAT.DAT"},
      // 0x95 0x5C is 表: its second byte is no folder separator.
      {"C:\\\x95\x5C.exe", "C:\\", "C:\\\x95\x5C.DAT"},
      {longName, "C:\\", longName + ".DAT"},
      {tooLong, "C:\\", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.program);
    SetProgramPaths(c.program.c_str());
    EXPECT_EQ(ProgramFolder, c.folder);
    EXPECT_EQ(HistoryPath, c.history);
  }
}

Bytes HistoryBytes(const char* magic, const std::string& folder, int32_t preset, std::size_t size = 300) {
  Bytes b(300, 0);
  std::memcpy(b.data(), magic, 16);
  for (int i = 0; i < 8; ++i) b[16 + i] = uint8_t(0xE0 + i);  // reserved words: ignored
  for (int i = 0; i < 4; ++i) {
    b[24 + i] = uint8_t(0xA0 + i);  // carried word A
    b[28 + i] = uint8_t(0xB0 + i);
    b[296 + i] = uint8_t(0xC0 + i);
  }
  std::memcpy(b.data() + 32, folder.data(), std::min<std::size_t>(folder.size(), 260));
  std::memcpy(b.data() + 292, &preset, 4);
  b.resize(size);
  return b;
}

TEST(History, StartTakesWhatArrivedAndDeletesAFaultyFile) {
  TempFolder temp;
  SetProgramPaths("C:\\Tools\\Reel.exe");
  temp.MakeDir("Tools");
  const std::string full(260, 'x');
  struct Case {
    const char* name;
    Bytes file;  // empty: no file
    std::string folder;
    int32_t preset;
    int32_t carriedC;
    bool kept;
  } cases[] = {
      {"no file", {}, "C:\\VIDEO_TS\\", 0, 0, false},
      {"whole", HistoryBytes("REELWRITE0140HST", "D:\\DISC1\\VIDEO_TS", 9), "D:\\DISC1\\VIDEO_TS", 9,
       int32_t(0xC3C2C1C0), true},
      {"299 bytes", HistoryBytes("REELWRITE0140HST", "D:\\A", 3, 299), "D:\\A", 3, 0x00C2C1C0, false},
      {"other version", HistoryBytes("REELWRITE0130HST", "D:\\A", 3), "C:\\VIDEO_TS\\", 0, 0, false},
      {"20 bytes", HistoryBytes("REELWRITE0140HST", "D:\\A", 3, 20), "C:\\VIDEO_TS\\", 0, 0, false},
      {"no zero", HistoryBytes("REELWRITE0140HST", full, 2), full.substr(0, 259), 2, int32_t(0xC3C2C1C0),
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::memset(&Disc, 0, sizeof Disc);
    Disc.ActionKind[5] = Stop;
    if (!c.file.empty()) temp.WriteFile("Tools/Reel.DAT", c.file);
    LoadHistory();
    EXPECT_EQ(Disc.EditFolderText, c.folder);
    EXPECT_EQ(Disc.PresetIndex, c.preset);
    EXPECT_EQ(Disc.CarriedC, c.carriedC);
    EXPECT_EQ(Disc.ActionKind[5], JumpTitle) << "every title's default action";
    EXPECT_EQ(temp.Exists("Tools/Reel.DAT"), c.kept);
  }
}

TEST(History, EndWritesTheRecordTheNextStartReads) {
  TempFolder temp;
  temp.MakeDir("Tools");
  SetProgramPaths("C:\\Tools\\reelwrite");
  const Bytes program = {'E', 'L', 'F'};
  temp.WriteFile("Tools/reelwrite", program);
  temp.WriteFile("Tools/reelwrite.DAT", HistoryBytes("REELWRITE0140HST", "D:\\DISC1", 3));
  std::memset(&Disc, 0, sizeof Disc);
  LoadHistory();
  std::strcpy(Disc.EditFolderText, "D:\\DISC2");
  Disc.PresetIndex = 4;
  SaveHistory();

  Bytes expected = HistoryBytes("REELWRITE0140HST", "D:\\DISC2", 4);
  std::fill(expected.begin() + 16, expected.begin() + 24, 0);  // reserved words written as 0
  EXPECT_EQ(temp.ReadFile("Tools/reelwrite.DAT"), expected) << "carried words written back as read";
  EXPECT_EQ(temp.ReadFile("Tools/reelwrite"), program) << "the program itself is never touched";
}

}  // namespace
