// The history file over the input's bytes: loading must stay inside the
// state, leave the folder text terminated, and what it loaded must survive
// being saved and loaded again; the preset it names is then applied as the
// window program does at start-up.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "actions/presets.h"
#include "disc/disc_state.h"
#include "persist/history_file.h"
#include "persist/program_paths.h"
#include "platform/platform.h"

namespace {

std::string host;  // the history file's host name

void Check(bool holds, const char* promise) {
  if (holds) return;
  std::fprintf(stderr, "broken promise: %s\n", promise);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char pattern[] = "/tmp/reelwrite-history-XXXXXX";
  if (!mkdtemp(pattern)) std::abort();
  platform::MapDrive('C', pattern);
  SetProgramPaths("C:\\REELWRITE.EXE");
  host = std::string(pattern) + "/REELWRITE.DAT";
  static std::string folder = pattern;
  std::atexit([] {
    unlink(host.c_str());
    rmdir(folder.c_str());
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::FILE* f = std::fopen(host.c_str(), "wb");
  if (!f) std::abort();
  if (size > 0) std::fwrite(data, 1, size, f);
  std::fclose(f);
  std::memset(&Disc, 0, sizeof Disc);
  LoadHistory();
  Check(std::memchr(Disc.EditFolderText, 0, kPathCapacity) != nullptr,
        "the folder text ends inside its field");
  static DiscState loaded;  // 8 MiB: not on the stack
  std::memcpy(&loaded, &Disc, offsetof(DiscState, VmgImage));
  SaveHistory();
  LoadHistory();
  Check(std::memcmp(&loaded, &Disc, offsetof(DiscState, VmgImage)) == 0,
        "a loaded history saves and loads alike");
  ApplyBatchPreset();
  return 0;
}
