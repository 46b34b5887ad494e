// The POSIX platform on real temporary folders: drive paths, Shift-JIS names,
// attributes and the file operations the writers rely on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"
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
      [](const platform::DirEntry& entry, void* names) {
        static_cast<std::vector<std::string>*>(names)->push_back(entry.name);
      },
      &names);
  return names;
}

TEST(PlatformDrives, MapsDrivePathsToHostNamesAndBack) {
  TempFolder temp('c');  // letters are case-insensitive
  const std::string h = temp.host();
  TempFolder nested('D', h.c_str());  // a drive inside another: the longer folder wins
  const struct {
    std::string drive, host;
  } pairs[] = {
      {"C:\\", h + "/"},
      {"C:\\DVD\\VIDEO_TS\\", h + "/DVD/VIDEO_TS/"},
      {"C:\\DISC" + kHyou + "\\VIDEO_TS.IFO", h + "/DISC表/VIDEO_TS.IFO"},
      {"D:\\x", nested.host() + "/x"},
      {"Z:\\usr\\lib", "/usr/lib"},
  };
  for (const auto& p : pairs) {
    EXPECT_EQ(p.host, HostOf(p.drive));
    EXPECT_EQ(p.drive, DriveOf(p.host));
  }
  EXPECT_EQ(h + "/x", HostOf("C:/x"));
  EXPECT_EQ(h + "/b", HostOf("c:\\a\\..\\..\\.\\b"));  // never climbs out of the drive
  EXPECT_EQ('Z', DriveOf(h + "b")[0]);                 // beside the drive's folder, not in it
  for (const char* path : {"DVD\\VIDEO_TS", "C:DVD", "Q:\\x"}) EXPECT_EQ("<none>", HostOf(path)) << path;
  EXPECT_EQ(3, platform::DriveType('C'));
  EXPECT_EQ(1, platform::DriveType('Q'));
}

// Read-only is the owner's write bit and refuses writing, replacing and
// removal, as on Windows, even for root; hidden is a leading dot.
TEST(PlatformEntries, AttributesAndTheMaskThatFindsThem) {
  TempFolder temp;
  temp.WriteFile("A.IFO", "a");
  temp.WriteFile("B.BUP", "b");
  temp.WriteFile(".hidden", "h");
  temp.MakeDir("SUB表");
  uint32_t attributes = 0;
  ASSERT_TRUE(platform::SetAttributes("C:\\B.BUP", platform::kArchive | platform::kReadOnly));
  ASSERT_TRUE(platform::GetAttributes("C:\\B.BUP", &attributes));
  EXPECT_EQ(0x21u, attributes);
  EXPECT_EQ(nullptr, platform::OpenFile("C:\\B.BUP", "ab"));
  EXPECT_FALSE(platform::ReplaceFile("C:\\A.IFO", "C:\\B.BUP"));
  EXPECT_FALSE(platform::RemoveFile("C:\\B.BUP"));

  const std::string sub = "SUB" + kHyou;
  const struct {
    uint32_t mask;
    std::vector<std::string> names;
  } cases[] = {
      {0x00, {"A.IFO", "B.BUP"}},  // read-only files need no bit
      {0x10, {"A.IFO", "B.BUP", sub}},
      {0x02, {".hidden", "A.IFO", "B.BUP"}},
  };
  for (const auto& c : cases) EXPECT_EQ(c.names, Listed("C:\\*.*", c.mask)) << c.mask;
  EXPECT_EQ(std::vector<std::string>{sub}, Listed("C:\\sub?", 0x37));  // ? is one whole character
}

}  // namespace
