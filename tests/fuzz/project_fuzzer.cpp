// Project loading over a project saved from a small disc, changed where the
// input says so that it stays small:
//
//   byte 0       0: the whole file; n: the file cut to n/256 of its size
//   then records of a 3-byte big-endian offset (modulo the file's size), a
//   length byte and that many bytes written there.
//
// A project that loads is used as the window program would: both patches
// run on it and the files execute would write are collected and read.
#include <cstring>
#include <string>
#include <vector>

#include "actions/get_info.h"
#include "author/vmg_patch.h"
#include "author/vts_patch.h"
#include "disc/disc_state.h"
#include "persist/project_file.h"
#include "tests/fuzz/fuzz_driver.h"
#include "tests/unit/ifo_builder.h"

namespace {
std::vector<uint8_t> base, image;  // the saved project; the one changed
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::Init();
  testdisc::DiscSpec layout = testdisc::SimpleDisc(2, 2);
  layout.vmg.menus = {{"en"}, {"fr"}};
  layout.vmg.menus[0].pgcs.resize(2);
  layout.vmg.menus[1].pgcs.resize(1);
  fuzz::DriveC().MakeDir("VIDEO_TS");
  testdisc::WriteDisc(fuzz::DriveC().HostName("VIDEO_TS"), layout);
  fuzz::Require(GetInfo("C:\\VIDEO_TS", 0, 0) == FolderRead && SaveProjectFile("C:\\p.prj"),
                "a project saved");
  base = image = fuzz::DriveC().ReadFile("p.prj");
  fuzz::Require(base.size() == kProjectFileSize && LoadProjectBytes(base.data(), base.size()), "it loads");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  image = base;
  std::size_t length = data[0] == 0 ? image.size() : image.size() * data[0] / 256;
  for (std::size_t at = 1; at + 4 <= size;) {
    std::size_t offset = ((std::size_t(data[at]) << 16) | (data[at + 1] << 8) | data[at + 2]) % image.size();
    std::size_t n = data[at + 3];
    at += 4;
    for (std::size_t i = 0; i < n && at < size; ++i, ++at) image[(offset + i) % image.size()] = data[at];
  }
  std::memset(&Disc, 0, sizeof Disc);
  if (!LoadProjectBytes(image.data(), length) || !CheckVideoManagerPatch(Disc.EditFolder) ||
      !PatchVideoManager())
    return 0;
  PatchTitleSets();
  fuzz::TouchPatchedFiles();
  return 0;
}
