// Execute on a 99-title-set disc against copying the same IFO and BUP bytes
// with plain fread/fwrite. Execute flushes every file to the disk before it
// swaps them in, so a copy that also flushes is shown as well.
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "actions/presets.h"
#include "author/execute.h"
#include "disc/disc_state.h"
#include "disc/get_info.h"
#include "tests/bench/synthetic_disc.h"

namespace {

void CopyIfoAndBup(const std::string& host, const std::vector<std::string>& names, bool flush) {
  static std::vector<unsigned char> buffer(kVmgImageCapacity);
  for (const std::string& name : names) {
    std::FILE* in = std::fopen((host + "/" + name).c_str(), "rb");
    if (!in) std::abort();
    size_t size = std::fread(buffer.data(), 1, buffer.size(), in);
    std::fclose(in);
    std::string stem = host + "/copy_" + name.substr(0, name.size() - 4);
    for (const char* ext : {".IFO", ".BUP"}) {
      std::FILE* out = std::fopen((stem + ext).c_str(), "wb");
      if (!out || std::fwrite(buffer.data(), 1, size, out) != size) std::abort();
      if (flush) {
        std::fflush(out);
        fsync(fileno(out));
      }
      std::fclose(out);
    }
  }
}

}  // namespace

int main() {
  std::string host = bench::MakeSyntheticDisc();
  platform::SetMessageBoxHandler(bench::Quiet, nullptr);
  if (GetInfo("B:\\", 0, 0) != FolderRead) return 1;
  Disc.PresetIndex = 3;
  ApplyBatchPreset();
  if (Execute("B:\\") != ExecuteSucceeded) return 1;  // the first one also makes the backup

  const int runs = 21;
  double execute = bench::MedianMicroseconds(runs, [] {
    if (Execute("B:\\") != ExecuteSucceeded) std::abort();
  });
  std::vector<std::string> names = bench::IfoNames();
  double copy = bench::MedianMicroseconds(runs, [&] { CopyIfoAndBup(host, names, false); });
  double copyFlushed = bench::MedianMicroseconds(runs, [&] { CopyIfoAndBup(host, names, true); });

  std::printf("execute, 99 title sets (200 files): median %.0f us\n", execute);
  std::printf("plain fread/fwrite copy of the same IFO and BUP bytes: median %.0f us\n", copy);
  std::printf("the same copy with fsync per file:  median %.0f us\n", copyFlushed);
  std::printf("ratio execute / copy: %.2f; execute / flushed copy: %.2f\n", execute / copy,
              execute / copyFlushed);
  bench::RemoveSyntheticDisc(host);
  return 0;
}
