// dvdread_list FOLDER
//
// Reads a DVD-Video folder (the VIDEO_TS folder or the folder holding it)
// with libdvdread and prints what a player would find, one fact per line:
//
//   ifo_ok NAME                  NAME (VIDEO_TS.IFO, VTS_01_0.BUP, ...) parsed
//   ifo_bad NAME                 NAME did not parse
//   titles N                     entries of the title table
//   title T vts V ttn K angles A chapters C post HEX16|none
//   error TEXT                   anything else that is wrong
//
// "post" is the first post command of the program chain of title K's last
// chapter in title set V (its VTS_PTT_SRPT), as sixteen hexadecimal digits,
// or "none" when that chain has no post command.
// Each IFO is read from a view of the folder without its BUP twins, and each
// BUP from a view where it stands under its IFO's name, so that libdvdread's
// fallback from a damaged IFO to its BUP cannot hide a fault in either.
// Exit status 0 when everything parsed, 1 otherwise, 2 on bad usage.
#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>
#include <dvdread/ifo_types.h>
#include <stdlib.h>

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// libdvdread says at error level that a folder is not a drive; its messages
// are shown only when something failed, where they tell what.
std::vector<std::string> messages;

void Keep(void*, dvd_logger_level_t, const char* format, va_list args) {
  char text[512];
  std::vsnprintf(text, sizeof text, format, args);
  messages.push_back(text);
}

const dvd_logger_cb kLogger = {Keep};

std::string IfoName(int n, bool backup) {
  char name[24] = "VIDEO_TS";
  if (n > 0) std::snprintf(name, sizeof name, "VTS_%02d_0", n);
  return std::string(name) + (backup ? ".BUP" : ".IFO");
}

// Every information file of one view, index 0 the video manager.
struct OpenedDisc {
  dvd_reader_t* dvd = nullptr;
  std::vector<ifo_handle_t*> ifos;

  ~OpenedDisc() {
    for (ifo_handle_t* ifo : ifos) {
      if (ifo != nullptr) ifoClose(ifo);
    }
    if (dvd != nullptr) DVDClose(dvd);
  }
};

// Opens the video manager and every title set it names from a view of the
// folder: links to its VOBs and to its IFO files, or to its BUP files under
// their IFO names. Prints one ifo_ok or ifo_bad line per file; false when any
// of them failed.
bool OpenAll(const fs::path& videoTs, bool useBackups, OpenedDisc& disc) {
  char pattern[] = "/tmp/dvdread_list.XXXXXX";
  const fs::path view = mkdtemp(pattern) != nullptr ? fs::path(pattern) / "VIDEO_TS" : fs::path();
  std::error_code error;
  fs::create_directory(view, error);
  for (fs::directory_iterator it(videoTs, error), end; !error && it != end; it.increment(error)) {
    // Named in capitals in the view: a folder may spell them in any case.
    std::string name = it->path().filename();
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    const std::string ext = fs::path(name).extension();
    if (ext == ".BUP" && useBackups) name.replace(name.size() - 4, 4, ".IFO");
    if (ext == ".VOB" || ext == (useBackups ? ".BUP" : ".IFO"))
      fs::create_symlink(it->path(), view / name, error);
  }
  if (error) std::printf("error cannot build a view of %s\n", videoTs.c_str());
  disc.dvd = error ? nullptr : DVDOpen2(nullptr, &kLogger, view.c_str());
  for (int n = 0, sets = 0; disc.dvd != nullptr && n <= sets; ++n) {
    disc.ifos.push_back(ifoOpen(disc.dvd, n));
    if (disc.ifos[0] != nullptr) sets = disc.ifos[0]->vmgi_mat->vmg_nr_of_title_sets;
    std::printf("%s %s\n", disc.ifos[n] != nullptr ? "ifo_ok" : "ifo_bad", IfoName(n, useBackups).c_str());
  }
  if (!error && disc.dvd == nullptr) std::printf("ifo_bad %s\n", IfoName(0, useBackups).c_str());
  // The handles hold every table in memory, so the view may go now.
  if (!view.empty()) fs::remove_all(view.parent_path(), error);
  return disc.dvd != nullptr && std::find(disc.ifos.begin(), disc.ifos.end(), nullptr) == disc.ifos.end();
}

bool PrintTitles(const OpenedDisc& disc) {
  const tt_srpt_t* tt = disc.ifos[0]->tt_srpt;
  if (tt == nullptr) {
    std::printf("error no title table\n");
    return false;
  }
  std::printf("titles %d\n", tt->nr_of_srpts);
  bool ok = true;
  for (int i = 0; i < tt->nr_of_srpts; ++i) {
    const title_info_t& t = tt->title[i];
    int v = t.title_set_nr;
    int k = t.vts_ttn;
    const ifo_handle_t* vts = v >= 1 && v < static_cast<int>(disc.ifos.size()) ? disc.ifos[v] : nullptr;
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
      ok = false;
      continue;
    }
    const pgc_command_tbl_t* cmds = pgcit->pgci_srp[pgcn - 1].pgc->command_tbl;
    char post[17] = "none";
    if (cmds != nullptr && cmds->nr_of_post > 0) {
      for (int b = 0; b < 8; ++b) std::snprintf(post + 2 * b, 3, "%02X", cmds->post_cmds[0].bytes[b]);
    }
    std::printf("title %d vts %d ttn %d angles %d chapters %d post %s\n", i + 1, v, k, t.nr_of_angles,
                t.nr_of_ptts, post);
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: dvdread_list FOLDER\n");
    return 2;
  }
  // The views link to the disc's files, so the links need absolute targets.
  std::error_code error;
  const fs::path folder = fs::canonical(argv[1], error);
  const fs::path videoTs = fs::is_directory(folder / "VIDEO_TS") ? folder / "VIDEO_TS" : folder;
  if (error || !fs::is_directory(videoTs)) {
    std::printf("error no such folder %s\n", argv[1]);
    return 1;
  }

  OpenedDisc disc;
  bool ok = OpenAll(videoTs, false, disc);
  {
    OpenedDisc backups;
    ok = OpenAll(videoTs, true, backups) && ok;
  }
  if (!disc.ifos.empty() && disc.ifos[0] != nullptr &&
      disc.ifos.size() == std::size_t(disc.ifos[0]->vmgi_mat->vmg_nr_of_title_sets) + 1) {
    ok = PrintTitles(disc) && ok;
  }
  std::fflush(stdout);
  if (!ok) {
    for (const std::string& m : messages) std::fprintf(stderr, "libdvdread: %s\n", m.c_str());
  }
  return ok ? 0 : 1;
}
