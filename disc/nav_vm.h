// A preview of playback by a navigation machine of our own, over the images
// in memory: where a player goes from First Play, and from the end of each
// title, before the disc is burnt.
//
// The machine runs the general and system registers, the Set, Compare,
// Jump, Call, Link and Exit commands, First Play, the video manager and
// title set menu domains in one menu language, and the title domain. Cells
// take no time: a walk ends where a player would show something (a title
// starts, a menu chain with cells waits for the viewer), stops, or faults
// where a player could not go on (libdvdnav aborts on the same commands).
#pragma once

#include <cstdint>
#include <string>

#include "disc/disc_state.h"
#include "disc/ifo_tables.h"

enum class NextKind : uint8_t { Title, Random, Menu, Stop, Fault, Repeat };
enum class FaultKind : uint8_t { None, JumpTT, MissingMenu, Other };

struct NavNext {
  NextKind kind;
  int title;           // Title
  uint64_t titles[2];  // Random: bit t % 64 of word t / 64 for each title t it can reach
  bool vmgm;           // Menu: in the video manager, else in title set `titleSet`
  int titleSet;
  int pgc;  // Menu: the chain's number in its language unit; Repeat: the title
            // chain that plays over and over (named by `title`, 0 none)
  FaultKind fault;
  char reason[96];  // Fault
};

bool CanReach(const NavNext& next, int title);
// "title 2", "menu VMGM 1", "stop", ...
std::string NextWords(const NavNext& next);

// The menu language the walks use: a language code ('e' << 8 | 'n'), or 0
// for a player's own ("en"; a disc without it shows its first unit).
struct NavPreview {
  int language;  // the player's menu language, 0 when the disc has no menu language units
  NavNext start;
  int titleCount;
  NavNext after[kMaxTitles];  // after[t] for title t + 1
};

// Every walk of the disc whose video manager is `vmg` (StoredVmgRef() as
// read, VmgImageRef() once patched) and whose title sets are VtsImageRef(n).
void PreviewDisc(ImageRef vmg, int language, NavPreview* out);

// The entry chain of menu `menu` (2 title, 3 root, ...) in the menu table
// at `tableField` (kVmgMenuPgciUtSector or kVtsMenuPgciUtSector), in the
// language unit a player picks for `language`: its number, or 0.
int FindMenuPgc(ImageRef image, int tableField, int language, int menu);

// The language code of every unit of the video manager menus, in order;
// returns how many were written (at most `capacity`).
int MenuLanguages(ImageRef vmg, int* codes, int capacity);
