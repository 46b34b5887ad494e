// The history file over the input's bytes: loading stays inside the state and
// leaves the folder text terminated, what it loaded saves and loads alike,
// and the preset it names is applied as the window program does at start-up.
#include <cstring>
#include <string>
#include <vector>

#include "actions/presets.h"
#include "disc/disc_state.h"
#include "persist/history_file.h"
#include "persist/program_paths.h"
#include "tests/fuzz/fuzz_driver.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SetProgramPaths("C:\\REELWRITE.EXE");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  fuzz::DriveC().WriteFile("REELWRITE.DAT", std::vector<uint8_t>(data, data + size));
  std::memset(&Disc, 0, sizeof Disc);
  LoadHistory();
  fuzz::Require(std::memchr(Disc.EditFolderText, 0, kPathCapacity) != nullptr,
                "the folder text ends inside its field");
  static DiscState loaded;  // 8 MiB: not on the stack
  std::memcpy(&loaded, &Disc, offsetof(DiscState, VmgImage));
  SaveHistory();
  LoadHistory();
  fuzz::Require(std::memcmp(&loaded, &Disc, offsetof(DiscState, VmgImage)) == 0,
                "a loaded history saves and loads alike");
  ApplyBatchPreset();
  return 0;
}
