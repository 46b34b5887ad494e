// The benchmarks' disc: 99 title sets of one title each, a menu table with
// one language unit, written to a temporary folder mapped to drive B:.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/unit/ifo_builder.h"

namespace bench {

inline std::string MakeSyntheticDisc() {
  char pattern[] = "/tmp/reelwrite-bench-XXXXXX";
  std::string host = mkdtemp(pattern);
  testdisc::DiscSpec layout = testdisc::SimpleDisc(99, 1, testdisc::C("30 01 00 00 00 00 00 00"));
  layout.vmg.menus = {testdisc::LanguageUnit{}};
  layout.vmg.menus[0].pgcs.resize(2);
  layout.vmg.menus[0].pgcs[0].category = 0x82;
  for (testdisc::VtsSpec& vts : layout.titleSets) vts.titleVobBytes = {1 << 20};
  testdisc::WriteDisc(host, layout);
  platform::MapDrive('B', host.c_str());
  return host;
}

inline void RemoveSyntheticDisc(const std::string& host) {
  const std::size_t slash = host.rfind('/');
  const std::string backup = host.substr(0, slash + 1) + "ORIGINAL_IFO_" + host.substr(slash + 1);
  std::string command = "rm -rf '" + host + "' '" + backup + "'";
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "could not remove %s\n", host.c_str());
}

template <typename F>
double MedianMicroseconds(int runs, F&& work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    auto start = std::chrono::steady_clock::now();
    work();
    times.push_back(
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

inline std::vector<std::string> IfoNames() {
  std::vector<std::string> names = {"VIDEO_TS.IFO"};
  char name[32];
  for (int n = 1; n <= 99; ++n) {
    std::snprintf(name, sizeof name, "VTS_%02d_0.IFO", n);
    names.push_back(name);
  }
  return names;
}

inline int Quiet(const char*, const char*, int style, void*) { return (style & 0x0F) == 4 ? 6 : 1; }

}  // namespace bench
