// Damaged discs through the whole of what a user does, on real files: the
// images of the input (see disc_input.h) become VIDEO_TS.IFO, the title set
// IFOs and their BUPs in a temporary folder; get info reads it; the preset
// the input's preset byte names and its options are applied; execute writes
// it. A disc execute reports as written must read back, hold each IFO's
// bytes in its BUP, and restore must bring back the input's files byte for
// byte. Any of these failing aborts, as a crash does.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "actions/presets.h"
#include "author/execute.h"
#include "author/original_backup.h"
#include "disc/disc_state.h"
#include "disc/get_info.h"
#include "platform/platform.h"
#include "tests/fuzz/disc_input.h"

namespace {

constexpr std::size_t kMinIfoSize = 4096;
std::string root;  // the host folder behind C:

int AnswerYes(const char*, const char*, int style, void*) { return (style & 0xF) == 4 ? 6 : 1; }

void RemoveTree(const std::string& path) {
  if (DIR* dir = opendir(path.c_str())) {
    while (dirent* e = readdir(dir)) {
      std::string name = e->d_name;
      if (name != "." && name != "..") RemoveTree(path + "/" + name);
    }
    closedir(dir);
    rmdir(path.c_str());
  } else {
    unlink(path.c_str());
  }
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) std::abort();
  std::fclose(f);
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    for (int c; (c = std::fgetc(f)) != EOF;) bytes.push_back(uint8_t(c));
    std::fclose(f);
  }
  return bytes;
}

std::string IfoName(std::size_t n, const char* extension) {
  char name[16];
  if (n == 0)
    std::snprintf(name, sizeof name, "VIDEO_TS.%s", extension);
  else
    std::snprintf(name, sizeof name, "VTS_%02d_0.%s", int(n), extension);
  return name;
}

void Check(bool holds, const char* promise) {
  if (holds) return;
  std::fprintf(stderr, "broken promise: %s\n", promise);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char pattern[] = "/dev/shm/reelwrite-fuzz-XXXXXX";
  char fallback[] = "/tmp/reelwrite-fuzz-XXXXXX";
  const char* made = mkdtemp(pattern);
  if (!made) made = mkdtemp(fallback);
  if (!made) std::abort();
  root = made;
  std::atexit([] { RemoveTree(root); });
  platform::MapDrive('C', root.c_str());
  platform::SetMessageBoxHandler(AnswerYes, nullptr);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  fuzzdisc::Input in;
  if (!fuzzdisc::Decode(data, size, &in)) return 0;
  RemoveTree(root + "/DISC");
  RemoveTree(root + "/ORIGINAL_IFO_DISC");
  mkdir((root + "/DISC").c_str(), 0777);
  std::vector<std::vector<uint8_t>> files;
  for (std::size_t n = 0; n < in.images.size(); ++n) {
    std::vector<uint8_t> bytes = in.images[n];
    if (bytes.size() < kMinIfoSize) bytes.resize(kMinIfoSize);
    WriteFile(root + "/DISC/" + IfoName(n, "IFO"), bytes);
    WriteFile(root + "/DISC/" + IfoName(n, "BUP"), bytes);
    files.push_back(bytes);
  }

  std::memset(&Disc, 0, sizeof Disc);
  Busy = 0;
  int noMenu = (in.flags & fuzzdisc::kNoMenu) ? 1 : 0;
  int random = (in.flags & fuzzdisc::kRandomPlay) ? 1 : 0;
  if (GetInfo("C:\\DISC", noMenu, random) != FolderRead) return 0;
  Disc.PresetIndex = uint8_t(in.presetIndex) & 7;
  ApplyBatchPreset();
  if (in.flags & fuzzdisc::kSetRegister) Disc.MenuRegister = in.menuRegister & 15;
  if (Execute("C:\\DISC") != ExecuteSucceeded) {
    for (std::size_t n = 0; n < files.size(); ++n) {
      Check(ReadFile(root + "/DISC/" + IfoName(n, "IFO")) == files[n], "a refused execute changes nothing");
    }
    return 0;
  }
  for (int n = 0; n <= Disc.TitleSetCount; ++n) {
    Check(ReadFile(root + "/DISC/" + IfoName(n, "IFO")) == ReadFile(root + "/DISC/" + IfoName(n, "BUP")),
          "each BUP holds its IFO's bytes");
  }
  Check(GetInfo("C:\\DISC", noMenu, random) == FolderRead, "a written disc reads back");
  Check(RestoreOriginalBackup("C:\\DISC"), "restore takes the backup");
  for (std::size_t n = 0; n < files.size(); ++n) {
    Check(ReadFile(root + "/DISC/" + IfoName(n, "IFO")) == files[n], "restore brings back every byte");
  }
  return 0;
}
