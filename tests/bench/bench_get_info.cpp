// Get info on a 99-title-set disc against reading the same information files
// with plain fread: the price of the checks and the menu table preparation.
#include <cstdio>
#include <vector>

#include "disc/disc_state.h"
#include "disc/get_info.h"
#include "tests/bench/synthetic_disc.h"

int main() {
  std::string host = bench::MakeSyntheticDisc();
  platform::SetMessageBoxHandler(bench::Quiet, nullptr);
  const int runs = 101;

  double getInfo = bench::MedianMicroseconds(runs, [] {
    if (GetInfo("B:\\", 0, 0) != FolderRead) std::abort();
  });

  std::vector<std::string> names = bench::IfoNames();
  static std::vector<unsigned char> buffer(kIfoStoreCapacity);
  double plain = bench::MedianMicroseconds(runs, [&] {
    size_t at = 0;
    for (const std::string& name : names) {
      std::FILE* f = std::fopen((host + "/" + name).c_str(), "rb");
      if (!f) std::abort();
      at += std::fread(buffer.data() + at, 1, buffer.size() - at, f);
      std::fclose(f);
    }
  });

  std::printf("get info, 99 title sets, %d titles: median %.0f us\n", Disc.TitleCount, getInfo);
  std::printf("plain fread of the same 100 IFO files:  median %.0f us\n", plain);
  std::printf("ratio get info / fread: %.2f\n", getInfo / plain);
  bench::RemoveSyntheticDisc(host);
  return 0;
}
