// Project loading over an image whose header, counts, offsets and sizes come
// from the input. The image is a project saved from a small disc at start;
// the input changes it where it says, so that it stays small:
//
//   byte 0       0: the whole file; n: the file cut to n/256 of its size
//   then records of a 3-byte big-endian offset (taken modulo the file's
//   size), a length byte and that many bytes written there.
//
// A project that loads must be safe to use as the window program would: the
// video manager and title set patches run on it in memory and collect the
// files execute would write (nothing is written), under AddressSanitizer.
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "author/file_set_writer.h"
#include "author/vmg_patch.h"
#include "author/vts_patch.h"
#include "disc/disc_state.h"
#include "disc/get_info.h"
#include "persist/project_file.h"
#include "platform/platform.h"
#include "tests/unit/ifo_builder.h"

namespace {

std::vector<uint8_t> base;  // the saved project
std::vector<uint8_t> image;

int Silent(const char*, const char*, int style, void*) { return (style & 0xF) == 4 ? 6 : 1; }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char pattern[] = "/tmp/reelwrite-project-XXXXXX";
  if (!mkdtemp(pattern)) std::abort();
  std::string folder = pattern;
  platform::MapDrive('C', pattern);
  platform::SetMessageBoxHandler(Silent, nullptr);
  mkdir((folder + "/VIDEO_TS").c_str(), 0777);
  testdisc::DiscSpec layout = testdisc::SimpleDisc(2, 2);
  layout.vmg.menus = {{"en"}, {"fr"}};
  layout.vmg.menus[0].pgcs.resize(2);
  layout.vmg.menus[1].pgcs.resize(1);
  testdisc::WriteDisc(folder + "/VIDEO_TS", layout);
  if (GetInfo("C:\\VIDEO_TS", 0, 0) != FolderRead || !SaveProjectFile("C:\\p.prj")) std::abort();
  std::FILE* f = std::fopen((folder + "/p.prj").c_str(), "rb");
  if (!f) std::abort();
  base.resize(kProjectFileSize);
  if (std::fread(base.data(), 1, base.size(), f) != base.size()) std::abort();
  std::fclose(f);
  std::system(("rm -rf '" + folder + "'").c_str());
  if (!LoadProjectBytes(base.data(), base.size())) std::abort();  // the unchanged project loads
  image.resize(base.size());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  std::memcpy(image.data(), base.data(), base.size());
  std::size_t length = data[0] == 0 ? image.size() : image.size() * data[0] / 256;
  for (std::size_t at = 1; at + 4 <= size;) {
    std::size_t offset = ((std::size_t(data[at]) << 16) | (data[at + 1] << 8) | data[at + 2]) % image.size();
    std::size_t n = data[at + 3];
    at += 4;
    for (std::size_t i = 0; i < n && at < size; ++i, ++at) image[(offset + i) % image.size()] = data[at];
  }
  std::memset(&Disc, 0, sizeof Disc);
  if (!LoadProjectBytes(image.data(), length)) return 0;
  if (!CheckVideoManagerPatch() || !PatchVideoManager()) return 0;
  PatchTitleSets();
  static PendingFile files[2 + 2 * kMaxTitleSets];
  static char names[2 + 2 * kMaxTitleSets][16];
  int count = CollectPatchedFiles(files, 2 + 2 * kMaxTitleSets, names);
  unsigned sum = 0;
  for (int i = 0; i < count; ++i) {
    for (int64_t b = 0; b < files[i].size; b += 512) sum += files[i].bytes[b];
  }
  return sum == 0xFFFFFFFFu;  // keeps the reads
}
