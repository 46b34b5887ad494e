// dvdread_list FOLDER
//
// Reads a DVD-Video folder (the VIDEO_TS folder or the folder holding it)
// with libdvdread and prints what a player would find, one fact per line:
//
//   ifo_ok NAME                  NAME (VIDEO_TS.IFO, VTS_01_0.IFO, ...) parsed
//   ifo_bad NAME                 NAME did not parse
//   title T vts V ttn K angles A chapters C post HEX16|none
//   error TEXT                   anything else that is wrong
//
// "post" is the first post command of the program chain of title K's last
// chapter in title set V (its VTS_PTT_SRPT), as sixteen hexadecimal digits,
// or "none" when that chain has no post command. The IFOs are read from a
// view of the folder without their BUP twins, so that libdvdread's fallback
// from a damaged IFO to its BUP cannot hide a fault. libdvdread's messages
// go to stderr (even on a good folder it says there that it is not a drive).
// Exit status 0 when everything parsed, 1 otherwise, 2 on bad usage.
#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>
#include <dvdread/ifo_types.h>
#include <stdlib.h>

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool PrintTitles(const std::vector<ifo_handle_t*>& ifos) {
  const tt_srpt_t* tt = ifos[0]->tt_srpt;
  if (tt == nullptr) std::printf("error no title table\n");
  for (int i = 0; tt != nullptr && i < tt->nr_of_srpts; ++i) {
    const title_info_t& t = tt->title[i];
    const int v = t.title_set_nr, k = t.vts_ttn;
    const ifo_handle_t* vts = v >= 1 && v < int(ifos.size()) ? ifos[std::size_t(v)] : nullptr;
    const pgcit_t* pgcit = vts != nullptr ? vts->vts_pgcit : nullptr;
    const vts_ptt_srpt_t* ptts = vts != nullptr ? vts->vts_ptt_srpt : nullptr;
    // The title ends with the chain of its last chapter.
    int pgcn = 0;
    if (ptts != nullptr && k >= 1 && k <= ptts->nr_of_srpts && ptts->title[k - 1].nr_of_ptts > 0)
      pgcn = ptts->title[k - 1].ptt[ptts->title[k - 1].nr_of_ptts - 1].pgcn;
    if (pgcit == nullptr || pgcn < 1 || pgcn > pgcit->nr_of_pgci_srp ||
        pgcit->pgci_srp[pgcn - 1].pgc == nullptr) {
      std::printf("error title %d names vts %d ttn %d, whose last chapter has no program chain\n", i + 1, v,
                  k);
      return false;
    }
    const pgc_command_tbl_t* cmds = pgcit->pgci_srp[pgcn - 1].pgc->command_tbl;
    char post[17] = "none";
    for (int b = 0; cmds != nullptr && cmds->nr_of_post > 0 && b < 8; ++b)
      std::snprintf(post + 2 * b, 3, "%02X", cmds->post_cmds[0].bytes[b]);
    std::printf("title %d vts %d ttn %d angles %d chapters %d post %s\n", i + 1, v, k, t.nr_of_angles,
                t.nr_of_ptts, post);
  }
  return tt != nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  // The view links to the disc's files, so the links need absolute targets.
  std::error_code error;
  const fs::path folder = fs::canonical(argv[1], error);
  const fs::path videoTs = fs::is_directory(folder / "VIDEO_TS") ? folder / "VIDEO_TS" : folder;
  char view[] = "/tmp/dvdread_list.XXXXXX";
  if (error || !fs::is_directory(videoTs) || mkdtemp(view) == nullptr) {
    std::printf("error no such folder %s\n", argv[1]);
    return 1;
  }
  fs::create_directory(fs::path(view) / "VIDEO_TS", error);
  for (const auto& entry : fs::directory_iterator(videoTs, error)) {
    // Named in capitals in the view: a folder may spell them in any case.
    std::string name = entry.path().filename();
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    if (fs::path(name).extension() != ".BUP")
      fs::create_symlink(entry.path(), fs::path(view) / "VIDEO_TS" / name);
  }
  // Without a logger of its own libdvdread prints to stdout, among our lines.
  static const dvd_logger_cb logger = {[](void*, dvd_logger_level_t, const char* format, va_list args) {
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
  }};
  dvd_reader_t* dvd = DVDOpen2(nullptr, &logger, (fs::path(view) / "VIDEO_TS").c_str());
  std::vector<ifo_handle_t*> ifos;
  for (int n = 0, sets = 0; n <= sets; ++n) {
    ifos.push_back(dvd != nullptr ? ifoOpen(dvd, n) : nullptr);
    if (ifos[0] != nullptr) sets = ifos[0]->vmgi_mat->vmg_nr_of_title_sets;
    char name[24] = "VIDEO_TS";
    if (n > 0) std::snprintf(name, sizeof name, "VTS_%02d_0", n);
    std::printf("%s %s.IFO\n", ifos[std::size_t(n)] != nullptr ? "ifo_ok" : "ifo_bad", name);
  }
  // The handles hold every table in memory, so the view may go now.
  fs::remove_all(view, error);
  // The handles and the reader go with the process.
  return std::find(ifos.begin(), ifos.end(), nullptr) == ifos.end() && PrintTitles(ifos) ? 0 : 1;
}
