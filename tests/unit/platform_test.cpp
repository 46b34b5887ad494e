// The POSIX platform on real temporary folders: drive paths, Shift-JIS names,
// attributes and the file operations the writers rely on.
#include <gtest/gtest.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/unit/message_recorder.h"
#include "tests/unit/temp_folder.h"

namespace {

// "表" in Shift-JIS: its second byte is a backslash.
const std::string kHyou = "\x95\x5C";

std::string HostOf(const std::string& drivePath) {
  char out[4096];
  return platform::HostPath(drivePath.c_str(), out, sizeof out) ? out : "<none>";
}

std::string DriveOf(const std::string& hostPath) {
  char out[260];
  return platform::DrivePath(hostPath.c_str(), out, sizeof out) ? out : "<none>";
}

std::vector<std::string> Listed(const std::string& pattern, uint32_t mask) {
  std::vector<std::string> names;
  platform::ListFolder(
      pattern.c_str(), mask,
      [](const platform::DirEntry& entry, void* context) {
        static_cast<std::vector<std::string>*>(context)->push_back(entry.name);
      },
      &names);
  return names;
}

TEST(PlatformCodec, RoundTripsThroughUtf8AndUtf16) {
  const struct {
    const char* sjis;
    const char* utf8;
  } cases[] = {
      {"VIDEO_TS.IFO", "VIDEO_TS.IFO"},
      {"C:\\\x95\x5C\x83\x5C\x83\x74\\", "C:\\表ソフ\\"},  // 0x5C second bytes, two in a row
      {"\xB1\xB2", "ｱｲ"},                                  // half-width katakana
      {"\x87\x40", "①"},                                   // NEC extension, only in code page 932
      {"\x81\x60", "～"},                                  // FULLWIDTH TILDE, not WAVE DASH
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.utf8);
    char utf8[64], sjis[64];
    char16_t utf16[64];
    ASSERT_TRUE(platform::SjisToUtf8(c.sjis, utf8, sizeof utf8));
    EXPECT_STREQ(c.utf8, utf8);
    ASSERT_TRUE(platform::Utf8ToSjis(c.utf8, sjis, sizeof sjis));
    EXPECT_STREQ(c.sjis, sjis);
    ASSERT_TRUE(platform::SjisToUtf16(c.sjis, utf16, 64));
    ASSERT_TRUE(platform::Utf16ToSjis(utf16, sjis, sizeof sjis));
    EXPECT_STREQ(c.sjis, sjis);
  }
  char16_t hyou[4];
  ASSERT_TRUE(platform::SjisToUtf16(kHyou.c_str(), hyou, 4));
  EXPECT_EQ(u'\u8868', hyou[0]);
  EXPECT_EQ(0, hyou[1]);
}

TEST(PlatformCodec, RefusesWhatDoesNotConvertOrFit) {
  const struct {
    bool fromSjis;
    const char* text;
    std::size_t capacity;
  } cases[] = {
      {true, "\x95", 16},       // lead byte without its second byte
      {true, "A\xFF", 16},      // not a Shift-JIS byte
      {false, "\xE8\xA1", 16},  // cut UTF-8 sequence
      {false, "한국", 16},      // no Shift-JIS code for Hangul
      {true, "\x95\x5C", 3},    // 3 UTF-8 bytes need 4 with the terminator
      {false, "A", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    char out[16] = "dirty";
    EXPECT_FALSE(c.fromSjis ? platform::SjisToUtf8(c.text, out, c.capacity)
                            : platform::Utf8ToSjis(c.text, out, c.capacity));
    EXPECT_STREQ(c.capacity > 0 ? "" : "dirty", out);
  }
  char16_t wide[2];
  EXPECT_FALSE(platform::SjisToUtf16("\x95\x5C\x95\x5C", wide, 2));
  EXPECT_EQ(0, wide[0]);
}

TEST(PlatformDrives, MapsDrivePathsToHostNamesAndBack) {
  TempFolder temp('c');  // letters are case-insensitive
  const std::string h = temp.host();
  const struct {
    std::string drive, host;
  } pairs[] = {
      {"C:\\", h + "/"},
      {"C:\\DVD\\VIDEO_TS", h + "/DVD/VIDEO_TS"},
      {"C:\\DVD\\VIDEO_TS\\", h + "/DVD/VIDEO_TS/"},
      {"C:\\DISC" + kHyou + "\\VIDEO_TS.IFO", h + "/DISC表/VIDEO_TS.IFO"},
      {"Z:\\usr\\lib", "/usr/lib"},
      {"Z:\\", "/"},
  };
  for (const auto& p : pairs) {
    SCOPED_TRACE(p.host);
    EXPECT_EQ(p.host, HostOf(p.drive));
    EXPECT_EQ(p.drive, DriveOf(p.host));
  }
  EXPECT_EQ(h + "/b", HostOf("c:\\a\\..\\..\\.\\b"));  // never climbs out of the drive
  EXPECT_EQ("C:\\x", DriveOf(h + "/a/../x"));
  EXPECT_EQ('Z', DriveOf(h + "b")[0]);  // beside the drive's folder, not in it
  EXPECT_EQ("<none>", DriveOf(h + "/한"));
  EXPECT_EQ("<none>", DriveOf(h + "/back\\slash"));
  for (const char* path : {"DVD\\VIDEO_TS", "\\\\server\\share\\x", "C:DVD", "Q:\\x", ""}) {
    EXPECT_EQ("<none>", HostOf(path)) << path;
  }

  EXPECT_EQ(3, platform::DriveType('C'));
  EXPECT_EQ(1, platform::DriveType('Q'));
  char current[260];
  ASSERT_TRUE(platform::CurrentDirectory('C', current, sizeof current));
  EXPECT_STREQ("C:\\", current);
  EXPECT_FALSE(platform::CurrentDirectory('Q', current, sizeof current));
  char cwd[4096];
  ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
  ASSERT_TRUE(platform::CurrentDirectory('Z', current, sizeof current));
  EXPECT_EQ(DriveOf(cwd), current);
  {
    TempFolder borrowed('Y');
    EXPECT_EQ(3, platform::DriveType('Y'));
  }
  EXPECT_EQ(1, platform::DriveType('Y'));  // unmapped again
}

TEST(PlatformEntries, FindsAndListsAFolderEndingInA5CByte) {
  TempFolder temp;
  temp.MakeDir("DVD表");
  temp.WriteFile("DVD表/VIDEO_TS.IFO", std::string(4096, 'x'));
  const std::string folder = "C:\\DVD" + kHyou;

  platform::DirEntry entry;
  ASSERT_TRUE(platform::FindEntry(folder.c_str(), 0x37, &entry));
  EXPECT_EQ(0x10u, entry.attributes);
  EXPECT_EQ("DVD" + kHyou, entry.name);
  EXPECT_FALSE(platform::FindEntry((folder + "\\").c_str(), 0x37, nullptr));  // as FindFirstFile
  ASSERT_TRUE(platform::FindEntry((folder + "\\VIDEO_TS.IFO").c_str(), 0x37, &entry));
  EXPECT_EQ(0x20u, entry.attributes);
  EXPECT_EQ(4096u, entry.size);

  EXPECT_EQ(std::vector<std::string>{"VIDEO_TS.IFO"}, Listed(folder + "\\*", 0x37));
  EXPECT_EQ(std::vector<std::string>{"VIDEO_TS.IFO"}, Listed(folder + "\\video_ts.ifo", 0));
  EXPECT_EQ(nullptr, platform::OpenFile(folder.c_str(), "rb"));  // a folder is not a file
}

// Read-only is the owner's write bit and refuses writing, replacing and
// removal, as on Windows, even for root; hidden is a leading dot.
TEST(PlatformEntries, AttributesAndTheMaskThatFindsThem) {
  TempFolder temp;
  temp.WriteFile("A.IFO", "a");
  temp.WriteFile("B.BUP", "b");
  temp.WriteFile(".hidden", "h");
  temp.MakeDir("SUB");
  uint32_t attributes = 0;
  ASSERT_TRUE(platform::SetAttributes("C:\\B.BUP", platform::kArchive | platform::kReadOnly));
  ASSERT_TRUE(platform::GetAttributes("C:\\B.BUP", &attributes));
  EXPECT_EQ(0x21u, attributes);
  EXPECT_EQ(nullptr, platform::OpenFile("C:\\B.BUP", "wb"));
  EXPECT_FALSE(platform::ReplaceFile("C:\\A.IFO", "C:\\B.BUP"));
  EXPECT_FALSE(platform::RemoveFile("C:\\B.BUP"));

  const struct {
    uint32_t mask;
    std::vector<std::string> names;
  } cases[] = {
      {0x00, {"A.IFO", "B.BUP"}},  // read-only files need no bit
      {0x10, {"A.IFO", "B.BUP", "SUB"}},
      {0x02, {".hidden", "A.IFO", "B.BUP"}},
      {0x37, {".hidden", "A.IFO", "B.BUP", "SUB"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mask);
    EXPECT_EQ(c.names, Listed("C:\\*.*", c.mask));
    EXPECT_EQ((c.mask & 0x10) != 0, platform::FindEntry("C:\\SUB", c.mask, nullptr));
  }
  EXPECT_EQ(std::vector<std::string>{"A.IFO"}, Listed("C:\\*.IFO", 0x37));
  EXPECT_EQ(std::vector<std::string>{"B.BUP"}, Listed("C:\\?.b*", 0x37));

  ASSERT_TRUE(platform::SetAttributes("C:\\B.BUP", platform::kArchive));
  ASSERT_TRUE(platform::GetAttributes("C:\\B.BUP", &attributes));
  EXPECT_EQ(0x20u, attributes);
}

TEST(PlatformFiles, FoldersAreMadeRenamedAndRemoved) {
  TempFolder temp;
  const std::string name = "C:\\" + kHyou;
  ASSERT_TRUE(platform::MakeFolder(name.c_str()));
  EXPECT_TRUE(temp.Exists("表"));
  EXPECT_FALSE(platform::MakeFolder(name.c_str()));
  ASSERT_TRUE(platform::MakeFolder("C:\\TAKEN"));
  temp.WriteFile("TAKEN/keep", "k");

  EXPECT_FALSE(platform::RenameFolder(name.c_str(), "C:\\TAKEN"));  // never over another folder
  EXPECT_TRUE(temp.Exists("TAKEN/keep"));
  ASSERT_TRUE(platform::RenameFolder(name.c_str(), "C:\\MOVED"));

  EXPECT_FALSE(platform::RemoveFolder("C:\\TAKEN"));  // not empty
  EXPECT_TRUE(platform::RemoveFolder("C:\\MOVED"));
  EXPECT_EQ(temp.Tree(), (std::map<std::string, std::string>{{"TAKEN/", ""}, {"TAKEN/keep", "k"}}));
}

// Nobody to ask answers No; a handler's answers stop when it is taken away.
TEST(PlatformMessages, DefaultAnswersAndHandlersRestored) {
  EXPECT_EQ(1, platform::ShowMessage("default", "情報", 64));
  EXPECT_EQ(7, platform::ShowMessage("default", "確認", 36));
  {
    MessageRecorder recorder;
    EXPECT_EQ(6, platform::ShowMessage("続行しますか?", "確認", 36));
  }
  EXPECT_EQ(7, platform::ShowMessage("default again", "確認", 36));
}

}  // namespace
