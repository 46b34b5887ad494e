// Damaged discs through what a user does, on real files: the input's images
// as a folder's IFOs and BUPs, get info, the input's choices, execute. A
// refused execute changes nothing; a written disc holds each IFO's bytes in
// its BUP and reads back, and restore brings back the input's files.
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "actions/get_info.h"
#include "author/execute.h"
#include "author/original_backup.h"
#include "disc/disc_state.h"
#include "tests/fuzz/fuzz_driver.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::Init();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  fuzz::Input in;
  if (!fuzz::Decode(data, size, &in)) return 0;
  std::filesystem::remove_all(fuzz::DriveC().HostName("ORIGINAL_IFO_DISC"));
  const std::vector<std::vector<uint8_t>> files = fuzz::WriteFolder(in, "DISC");
  auto read = [](std::size_t n, const char* extension) {
    return fuzz::DriveC().ReadFile("DISC/" + fuzz::IfoName(n, extension));
  };
  auto unchanged = [&] {
    for (std::size_t n = 0; n < files.size(); ++n) {
      if (read(n, "IFO") != files[n]) return false;
    }
    return true;
  };
  std::memset(&Disc, 0, sizeof Disc);
  Busy = 0;
  const int noMenu = (in.header.flags & fuzz::kNoMenu) ? 1 : 0;
  const int random = (in.header.flags & fuzz::kRandomPlay) ? 1 : 0;
  if (GetInfo("C:\\DISC", noMenu, random) != FolderRead) return 0;
  fuzz::ChooseActions(in.header);
  if (Execute("C:\\DISC") != ExecuteSucceeded) {
    fuzz::Require(unchanged(), "a refused execute changes nothing");
    return 0;
  }
  for (int n = 0; n <= Disc.TitleSetCount; ++n)
    fuzz::Require(read(n, "IFO") == read(n, "BUP"), "each BUP holds its IFO's bytes");
  fuzz::Require(GetInfo("C:\\DISC", noMenu, random) == FolderRead, "a written disc reads back");
  fuzz::Require(RestoreOriginalBackup("C:\\DISC"), "restore takes the backup");
  fuzz::Require(unchanged(), "restore brings back every byte");
  return 0;
}
