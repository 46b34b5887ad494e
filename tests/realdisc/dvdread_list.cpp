// dvdread_list FOLDER
//
// Reads a DVD-Video folder (the VIDEO_TS folder or the folder holding it)
// with libdvdread and prints what a player would find, one fact per line:
//
//   ifo_ok NAME                  NAME (VIDEO_TS.IFO, VTS_01_0.BUP, ...) parsed
//   ifo_bad NAME                 NAME did not parse
//   vmgm_lu U lang XX pgcs N     video manager menu language unit U (from 0)
//   vmgm_lus none                the video manager has no menu table
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

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A temporary VIDEO_TS folder of links to every VOB of the disc and to its
// IFO files, or to its BUP files under their IFO names.
class FolderView {
 public:
  FolderView(const fs::path& source, bool useBackups) {
    char pattern[] = "/tmp/dvdread_list.XXXXXX";
    if (mkdtemp(pattern) == nullptr) return;
    root_ = pattern;
    std::error_code error;
    if (!fs::create_directory(Path(), error)) return;
    for (fs::directory_iterator it(source, error), end; !error && it != end; it.increment(error)) {
      std::string name = it->path().filename(), ext = it->path().extension();
      if (ext == ".BUP" && useBackups) {
        name.replace(name.size() - 4, 4, ".IFO");
      } else if (ext != ".VOB" && (ext != ".IFO" || useBackups)) {
        continue;
      }
      fs::create_symlink(it->path(), Path() / name, error);
    }
    ok_ = !error;
  }
  ~FolderView() {
    std::error_code ignored;
    if (!root_.empty()) fs::remove_all(root_, ignored);
  }
  FolderView(const FolderView&) = delete;
  FolderView& operator=(const FolderView&) = delete;

  bool ok() const { return ok_; }
  fs::path Path() const { return root_ / "VIDEO_TS"; }

 private:
  fs::path root_;
  bool ok_ = false;
};

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
  char name[16];
  if (n == 0) {
    std::snprintf(name, sizeof name, "VIDEO_TS.%s", backup ? "BUP" : "IFO");
  } else {
    std::snprintf(name, sizeof name, "VTS_%02d_0.%s", n, backup ? "BUP" : "IFO");
  }
  return name;
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

// Opens the video manager and every title set it names; prints one ifo_ok or
// ifo_bad line per file. False when any of them failed.
bool OpenAll(const fs::path& videoTs, bool useBackups, OpenedDisc& disc) {
  FolderView view(videoTs, useBackups);
  if (!view.ok()) {
    std::printf("error cannot build a view of %s\n", videoTs.c_str());
    return false;
  }
  disc.dvd = DVDOpen2(nullptr, &kLogger, view.Path().c_str());
  if (disc.dvd == nullptr) {
    std::printf("ifo_bad %s\n", IfoName(0, useBackups).c_str());
    return false;
  }
  ifo_handle_t* vmg = ifoOpen(disc.dvd, 0);
  disc.ifos.push_back(vmg);
  std::printf("%s %s\n", vmg != nullptr ? "ifo_ok" : "ifo_bad", IfoName(0, useBackups).c_str());
  if (vmg == nullptr) return false;
  bool ok = true;
  int sets = vmg->vmgi_mat->vmg_nr_of_title_sets;
  for (int n = 1; n <= sets; ++n) {
    ifo_handle_t* vts = ifoOpen(disc.dvd, n);
    disc.ifos.push_back(vts);
    std::printf("%s %s\n", vts != nullptr ? "ifo_ok" : "ifo_bad", IfoName(n, useBackups).c_str());
    ok = ok && vts != nullptr;
  }
  // The handles hold every table in memory, so the view may go now.
  return ok;
}

void PrintMenuUnits(const ifo_handle_t* vmg) {
  const pgci_ut_t* ut = vmg->pgci_ut;
  if (ut == nullptr || ut->nr_of_lus == 0) {
    std::printf("vmgm_lus none\n");
    return;
  }
  for (int u = 0; u < ut->nr_of_lus; ++u) {
    const pgci_lu_t& lu = ut->lu[u];
    char lang[3] = {static_cast<char>(lu.lang_code >> 8), static_cast<char>(lu.lang_code & 0xFF), 0};
    if (lang[0] == 0) std::strcpy(lang, "--");
    std::printf("vmgm_lu %d lang %s pgcs %d\n", u, lang, lu.pgcit != nullptr ? lu.pgcit->nr_of_pgci_srp : 0);
  }
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
  if (!disc.ifos.empty() && disc.ifos[0] != nullptr) {
    PrintMenuUnits(disc.ifos[0]);
    if (disc.ifos.size() == static_cast<std::size_t>(disc.ifos[0]->vmgi_mat->vmg_nr_of_title_sets) + 1) {
      ok = PrintTitles(disc) && ok;
    }
  }
  std::fflush(stdout);
  if (!ok) {
    for (const std::string& m : messages) std::fprintf(stderr, "libdvdread: %s\n", m.c_str());
  }
  return ok ? 0 : 1;
}
