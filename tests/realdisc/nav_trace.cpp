// nav_trace FOLDER N T xx
//
// Plays a DVD-Video folder with libdvdnav from First Play, as a player
// without a screen would, and prints where playback goes, one line each:
//
//   MENU      a menu domain (video manager or title set menu) was entered
//             and shows a cell; menus made of commands only print nothing
//   TITLE n   title n starts playing (again each time it restarts)
//   STOP      playback ended; exit status 0
//   ERROR m   libdvdnav failed with message m; exit status 1
//   LIMIT     more than 200000 blocks were read, or the run
//             took too long (a navigation loop inside one call); status 2
//
// After N titles have started it stops quietly with status 0.
// Stills and waits are skipped, and in a menu with buttons the highlighted
// button is pressed, so every disc plays through without a user.
// xx, unless empty, selects the menu language before playback; a title T
// other than 0 is played once First Play has run, as a viewer who picks it
// from the disc's menu.
// libdvdnav's own messages go to stderr: even on a good folder it complains
// there that it is not a drive.
#include <dvdnav/dvdnav.h>
#include <signal.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// A navigation loop without cells never returns from libdvdnav; the block
// limit cannot see it, so a watchdog ends the run the same way.
void OnAlarm(int) {
  if (write(STDOUT_FILENO, "LIMIT\n", 6) < 0) _exit(3);
  _exit(2);
}

// Prints the last line (stdout is line buffered) and closes the player.
int End(dvdnav_t* nav, const std::string& line, int status) {
  if (!line.empty()) std::printf("%s\n", line.c_str());
  if (nav != nullptr) dvdnav_close(nav);
  return status;
}

int Fail(dvdnav_t* nav) { return End(nav, std::string("ERROR ") + dvdnav_err_to_string(nav), 1); }

bool InMenu(dvdnav_t* nav) { return dvdnav_is_domain_vmgm(nav) || dvdnav_is_domain_vtsm(nav); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5 || std::atol(argv[2]) <= 0) {
    std::fprintf(stderr, "usage: nav_trace FOLDER N T xx (\"\" for the player's own language)\n");
    return 2;
  }
  const long maxTitles = std::atol(argv[2]), title = std::atol(argv[3]);
  // Lines reach the caller even if libdvdnav aborts on an illegal command.
  setvbuf(stdout, nullptr, _IOLBF, 0);
  signal(SIGALRM, OnAlarm);
  alarm(300);

  // Without a logger of its own libdvdnav prints to stdout, among our lines.
  static const dvdnav_logger_cb logger = {[](void*, dvdnav_logger_level_t, const char* format, va_list args) {
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
  }};
  dvdnav_t* nav = nullptr;
  if (dvdnav_open2(&nav, nullptr, &logger, argv[1]) != DVDNAV_STATUS_OK)
    return End(nullptr, "ERROR cannot open the folder", 1);
  if ((argv[4][0] && dvdnav_menu_language_select(nav, argv[4]) != DVDNAV_STATUS_OK) ||
      dvdnav_set_PGC_positioning_flag(nav, 1) != DVDNAV_STATUS_OK ||
      (title > 0 && dvdnav_title_play(nav, int32_t(title)) != DVDNAV_STATUS_OK))
    return Fail(nav);

  // A title starts when its domain is entered, when another title follows,
  // or when the first cell of its first chapter plays again (a repeat, or a
  // jump to the same title); a chapter in a chain of its own is no new start.
  bool domainEntered = true, pressedInCell = false;
  int32_t lastTitle = 0, event = 0, length = 0;
  long titlesStarted = 0;
  uint8_t block[DVD_VIDEO_LB_LEN];
  for (long blocks = 0; blocks < 200000; ++blocks) {
    if (dvdnav_get_next_block(nav, block, &event, &length) != DVDNAV_STATUS_OK) return Fail(nav);
    if (event == DVDNAV_VTS_CHANGE) domainEntered = true;
    if (event == DVDNAV_STOP) return End(nav, "STOP", 0);
    if ((event == DVDNAV_WAIT && dvdnav_wait_skip(nav) != DVDNAV_STATUS_OK) ||
        (event == DVDNAV_STILL_FRAME && dvdnav_still_skip(nav) != DVDNAV_STATUS_OK))
      return Fail(nav);
    pci_t* pci = event == DVDNAV_NAV_PACKET && !pressedInCell && InMenu(nav) ? dvdnav_get_current_nav_pci(nav)
                                                                             : nullptr;
    if (pci != nullptr && pci->hli.hl_gi.hli_ss != 0 && pci->hli.hl_gi.btn_ns > 0) {
      pressedInCell = true;
      if (dvdnav_button_activate(nav, pci) != DVDNAV_STATUS_OK) return Fail(nav);
    }
    if (event != DVDNAV_CELL_CHANGE) continue;
    pressedInCell = false;
    if (InMenu(nav)) {
      if (domainEntered) std::printf("MENU\n");
      lastTitle = 0;
    } else if (dvdnav_is_domain_vts(nav)) {
      int32_t now = 0, part = 0;
      if (dvdnav_current_title_info(nav, &now, &part) != DVDNAV_STATUS_OK) return Fail(nav);
      const int cell = reinterpret_cast<const dvdnav_cell_change_event_t*>(block)->cellN;
      if (domainEntered || now != lastTitle || (cell == 1 && part == 1)) {
        std::printf("TITLE %d\n", now);
        lastTitle = now;
        if (++titlesStarted >= maxTitles) return End(nav, "", 0);
      }
    }
    domainEntered = false;
  }
  return End(nav, "LIMIT", 2);
}
