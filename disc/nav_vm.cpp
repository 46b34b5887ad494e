#include "disc/nav_vm.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "disc/byte_order.h"
#include "disc/chapter_index.h"
#include "disc/command_decoder.h"
#include "disc/menu_units.h"
#include "disc/title_chain.h"

namespace {

// System registers the machine keeps.
constexpr int kMenuLanguage = 0;
constexpr int kTitleNumber = 4;     // TTN
constexpr int kTitleInSet = 5;      // VTS_TTN
constexpr int kTitlePgcNumber = 6;  // TT_PGCN
constexpr int kPartNumber = 7;      // PTTN
constexpr uint16_t kEnglish = 'e' << 8 | 'n';
// States in which a walk has reached a title chain's cells, kept to see
// playback come back to one of them: video that repeats for ever.
constexpr int kMaxSeenStates = 32;

// A walk that has taken this many steps (commands and jumps) without
// reaching anything to show is going round in circles.
constexpr long kStepLimit = 20000;
// Random draws followed per walk, walks and steps per end, and steps per
// disc, at most: a damaged disc of draws and loops gets a partial answer
// (or a fault saying so), not minutes.
constexpr int kMaxDraws = 8;
constexpr int kMaxRuns = 512;
constexpr long kPreviewSteps = 4 * kStepLimit;
constexpr long kDiscSteps = 200 * kStepLimit;

enum class Domain : uint8_t { FirstPlay, Vmgm, Vtsm, Title };

struct Draws {
  int count;  // draws made so far, forced or new
  int used;
  int value[kMaxDraws];
  int range[kMaxDraws];
};

struct Machine {
  ImageRef vmg;
  const ChapterIndex* chapters;
  Domain domain;
  int vts;      // the title set whose tables are in use, 0 none
  int pgcN;     // number of the chain in its table
  int64_t pgc;  // its offset in Image()
  int cell;     // the cell played last, 0 before the first
  uint16_t gprm[16];
  uint16_t sprm[24];
  int resumeVts, resumePgcN;  // resumeVts 0: nothing to resume
  uint16_t resumeSprm[5];
  int endingTitle;  // the title whose end is walked from, 0 from First Play
  long steps;
  Draws draws;
};

enum class Go : uint8_t { Command, Cells, PgcStart, PgcEnd };
struct Link {
  Go go;
  NavOp op;
  uint32_t args[3];
};

NavNext Ends(NextKind kind) {
  NavNext n{};
  n.kind = kind;
  return n;
}

NavNext Fault(FaultKind kind, const char* format, ...) __attribute__((format(printf, 2, 3)));
NavNext Fault(FaultKind kind, const char* format, ...) {
  NavNext n = Ends(NextKind::Fault);
  n.fault = kind;
  va_list args;
  va_start(args, format);
  std::vsnprintf(n.reason, sizeof n.reason, format, args);
  va_end(args);
  return n;
}

ImageRef Image(const Machine& m) {
  return m.domain == Domain::Vtsm || m.domain == Domain::Title ? VtsImageRef(m.vts) : m.vmg;
}

// The language unit of the current menu domain (First Play's is the video
// manager's), in the machine's language.
bool MenuUnitHere(const Machine& m, MenuUnit* unit) {
  ImageRef image = Image(m);
  int field = m.domain == Domain::Vtsm ? kVtsMenuPgciUtSector : kVmgMenuPgciUtSector;
  return FindMenuUnit(image, TableOffset(image, field), m.sprm[kMenuLanguage], unit);
}

bool HasMenus(ImageRef image, int field) { return TableOffset(image, field) >= 0; }

bool SetPgcN(Machine& m, int n) {
  ImageRef image = Image(m);
  MenuUnit unit;
  int64_t pgc = m.domain == Domain::Title ? PgcOffset(image, TableOffset(image, kVtsPgcitSector), n)
                : MenuUnitHere(m, &unit)  ? MenuPgcOffset(image, unit, n)
                                          : -1;
  if (pgc < 0) return false;
  m.pgcN = n;
  m.pgc = pgc;
  m.cell = 0;
  if (m.domain == Domain::Title) m.sprm[kTitlePgcNumber] = uint16_t(n);
  return true;
}

// The number of the entry chain of menu `menu` (3 root, 2 title, ...) in a
// language unit, or 0.
int EntryPgc(ImageRef image, const MenuUnit& unit, uint32_t menu) {
  for (int k = 1; k <= unit.pgcs; ++k) {
    int64_t category = unit.offset + kTableHeaderSize + int64_t(kSearchPointerSize) * (k - 1);
    if (MenuPgcOffset(image, unit, k) >= 0 && image.data[category] == int(menu | kEntryPgc)) return k;
  }
  return 0;
}

bool SetMenu(Machine& m, uint32_t menu) {
  MenuUnit unit;
  int k = MenuUnitHere(m, &unit) ? EntryPgc(Image(m), unit, menu) : 0;
  return k > 0 && SetPgcN(m, k);
}

// The disc's title number of title k of title set v, or 0.
int TitleNumber(const Machine& m, int v, int k) { return DiscTitle(*m.chapters, v, k); }

// Chapter `part` of title k of title set v: its program chain number, or 0.
int PartPgcNumber(int v, int k, int part) { return ChapterPgcNumber(VtsImageRef(v), k, part); }

// The title whose chapter the current chain plays, as a player names it:
// the title playing, when the chain is one of its chapters (also where
// another title has it too), else the first title that has it, else the
// title playing. `first`: the chain is that title's first chapter.
int NameChain(const Machine& m, bool* first) {
  const ChapterEntry *e, *end;
  ChaptersOfPgc(*m.chapters, m.vts, m.pgcN, &e, &end);
  *first = false;
  const ChapterEntry* named = e < end ? e : nullptr;
  for (const ChapterEntry* i = e; i < end; ++i)
    if (i->titleInSet == m.sprm[kTitleInSet]) {
      named = i;
      break;
    }
  if (!named) return m.sprm[kTitleNumber];
  *first = named->part == 1;
  return named->titleInSet == m.sprm[kTitleInSet] ? m.sprm[kTitleNumber]
                                                  : TitleNumber(m, m.vts, named->titleInSet);
}

// `title`: the disc's number of the title, when known, else 0.
bool SetVtsPart(Machine& m, int v, int k, int part, int title = 0) {
  if (v < 1 || v > Disc.TitleSetCount) return false;
  if (title == 0) title = TitleNumber(m, v, k);
  if (title == 0) return false;
  m.domain = Domain::Title;
  m.vts = v;
  m.sprm[kTitleNumber] = uint16_t(title);
  m.sprm[kTitleInSet] = uint16_t(k);
  m.sprm[kPartNumber] = uint16_t(part);
  return SetPgcN(m, PartPgcNumber(v, k, part));
}

bool SetTitle(Machine& m, int title) {
  TitleChain chain;
  FindTitleChain(m.vmg, title - 1, &chain);
  return SetVtsPart(m, chain.titleSet, chain.titleInSet, 1, title);
}

void SaveResume(Machine& m) {
  m.resumeVts = m.vts;
  m.resumePgcN = m.pgcN;
  for (int i = 0; i < 5; ++i) m.resumeSprm[i] = m.sprm[4 + i];
}

uint16_t Value(const Machine& m, NavOperand o) {
  switch (o.kind) {
    case NavOperandKind::Gprm:
      return m.gprm[o.number & 15];
    case NavOperandKind::Sprm:
      return o.number < 24 ? m.sprm[o.number] : 0;
    default:
      return o.number;
  }
}

uint16_t* Target(Machine& m, NavOperand o) {
  if (o.kind == NavOperandKind::Gprm) return &m.gprm[o.number & 15];
  if (o.kind == NavOperandKind::Sprm && o.number < 24) return &m.sprm[o.number];
  return nullptr;
}

// By the comparison's operator: 1 &, 2 ==, 3 !=, 4 >=, 5 >, 6 <=, 7 <.
bool Compare(int op, uint16_t a, uint16_t b) {
  const bool holds[8] = {true, (a & b) != 0, a == b, a != b, a >= b, a > b, a <= b, a < b};
  return holds[op & 7];
}

// A random draw of 1..range: the value forced for this walk, or 1 for a
// draw not seen before, which the caller then walks with every value.
uint16_t Draw(Machine& m, int range) {
  Draws& d = m.draws;
  if (d.used == d.count && d.count < kMaxDraws) {
    d.value[d.count] = 1;
    d.range[d.count++] = range < 1 ? 1 : range;
  }
  int v = d.used < d.count ? d.value[d.used] : 1;
  d.used += 1;
  return uint16_t(v);
}

// Sums and products stop at 0xFFFF, differences at 0; division by 0
// gives 0xFFFF, as players compute them.
void Assign(Machine& m, const NavSet& set) {
  uint16_t* target = Target(m, set.target);
  if (!target || set.op < 1 || set.op > 11) return;
  uint32_t a = *target, b = Value(m, set.source);
  if (set.op == 2) {  // swap
    if (uint16_t* other = Target(m, set.source)) {
      *target = *other;
      *other = uint16_t(a);
    }
    return;
  }
  if (set.op == 8) {
    *target = Draw(m, int(b));
    return;
  }
  const uint32_t results[12] = {
      a, b,     a,     a + b, a > b ? a - b : 0, a * b, b ? a / b : 0xFFFF, b ? a % b : 0xFFFF,
      a, a & b, a | b, a ^ b};
  uint32_t r = results[set.op];
  *target = uint16_t(r > 0xFFFF ? 0xFFFF : r);
}

// Runs `count` commands from `first` as a player does: sets, Goto and Break
// within the list, until one links, jumps or calls (true, *link set).
bool RunCommands(Machine& m, ImageRef image, int64_t first, int count, Link* link) {
  for (int i = 0; i < count && m.steps > 0;) {
    m.steps -= 1;
    NavCommand c;
    if (!DecodeNavCommand(image.data + first + int64_t(kCommandSize) * i, &c)) {
      ++i;  // players skip what they cannot decode
      continue;
    }
    bool holds = !c.compareOp || Compare(c.compareOp, Value(m, c.compare[0]), Value(m, c.compare[1]));
    if (holds || !c.compareGuardsSets)
      for (int s = 0; s < c.setCount; ++s) Assign(m, c.sets[s]);
    NavOp then = holds || !c.compareGuardsThen ? c.then : NavOp::None;
    switch (then) {
      case NavOp::None:
      case NavOp::LinkNoLink:
        ++i;
        break;
      case NavOp::Goto:
        i = c.args[0] ? int(c.args[0]) - 1 : i + 1;
        break;
      case NavOp::SetTmpPML:
        i = c.args[1] ? int(c.args[1]) - 1 : i + 1;
        break;
      case NavOp::Break:
        return false;
      default:
        *link = Link{Go::Command, then, {c.args[0], c.args[1], c.args[2]}};
        return true;
    }
  }
  return false;
}

// The pre (part 0) or post (part 1) commands of the current chain.
bool RunPgcCommands(Machine& m, int part, Link* link) {
  ImageRef image = Image(m);
  CommandTable table;
  if (!ReadCommandTable(image, m.pgc, &table) || !table.present) return false;
  int64_t first = table.offset + 8 + (part ? int64_t(kCommandSize) * table.pre : 0);
  return RunCommands(m, image, first, part ? table.post : table.pre, link);
}

bool HasCells(const Machine& m) { return Image(m).data[m.pgc + kPgcCellCount] > 0; }

Link To(Go go) { return Link{go, NavOp::None, {}}; }

// The program the last cell played belongs to (1 before any).
int ProgramHere(const Machine& m) {
  int program = 1;
  ImageRef image = Image(m);
  for (int p = 2; p <= 255; ++p) {
    int entry = ProgramEntryCell(image, m.pgc, p);
    if (entry == 0 || entry > (m.cell > 0 ? m.cell : 1)) break;
    program = p;
  }
  return program;
}

// A link to a cell or program of the current chain: the cell to play from.
int CellLinked(const Machine& m, NavOp op, uint32_t arg) {
  ImageRef image = Image(m);
  int here = m.cell > 0 ? m.cell : 1;
  switch (op) {
    case NavOp::LinkNextC:
      return m.cell + 1;
    case NavOp::LinkPrevC:
      return here > 1 ? here - 1 : 1;
    case NavOp::LinkCN:
      return int(arg);
    case NavOp::LinkTopPG:
      return ProgramEntryCell(image, m.pgc, ProgramHere(m));
    case NavOp::LinkNextPG:
      return ProgramEntryCell(image, m.pgc, ProgramHere(m) + 1);
    case NavOp::LinkPrevPG:
      return ProgramEntryCell(image, m.pgc, ProgramHere(m) > 1 ? ProgramHere(m) - 1 : 1);
    case NavOp::LinkPGN:
      return ProgramEntryCell(image, m.pgc, int(arg));
    default:  // LinkTopC
      return here;
  }
}

// The cells from the one after m.cell, each followed by its cell command:
// the first command that links, jumps or calls, or the chain's end.
Link PlayCells(Machine& m) {
  ImageRef image = Image(m);
  int cells = image.data[m.pgc + kPgcCellCount];
  while (m.cell < cells && m.steps > 0) {
    m.cell += 1;
    int64_t command = CellCommandOffset(image, m.pgc, m.cell);
    Link link;
    if (command >= 0 && RunCommands(m, image, command, 1, &link)) return link;
  }
  return To(Go::PgcEnd);
}

// A chain starts: its pre commands, then its cells, or straight on to its
// end when it has none.
Link StartPgc(Machine& m) {
  Link link;
  if (RunPgcCommands(m, 0, &link)) return link;
  return To(HasCells(m) ? Go::Cells : Go::PgcEnd);
}

// A chain ends: its post commands, else the chain it names as next.
Link EndPgc(Machine& m) {
  Link link;
  if (RunPgcCommands(m, 1, &link)) return link;
  int next = ReadBe16(Image(m).data + m.pgc + kPgcNext);
  if (!SetPgcN(m, next)) return Link{Go::Command, NavOp::Exit, {}};
  return To(Go::PgcStart);
}

NavNext MenuHere(const Machine& m) {
  NavNext n = Ends(NextKind::Menu);
  n.vmgm = m.domain == Domain::Vmgm;
  n.titleSet = n.vmgm ? 0 : m.vts;
  n.pgc = m.pgcN;
  return n;
}

const char* MenuWords(uint32_t menu) {
  const char* name = MenuName(menu);
  return name ? name : "menu";
}

// First Play's chain, or a fault.
bool ToFirstPlay(Machine& m, NavNext* end) {
  m.domain = Domain::FirstPlay;
  m.pgc = FirstPlayPgcOffset(m.vmg);
  m.pgcN = 0;
  if (m.pgc >= 0 || SetPgcN(m, 1)) return true;
  *end = Fault(FaultKind::Other, "the disc has no First Play");
  return false;
}

// Follows one link, jump or call; true with *end set where the walk ends.
bool Follow(Machine& m, Link& link, NavNext* end) {
  const uint32_t* a = link.args;
  int64_t pgcField = -1;
  switch (link.op) {
    case NavOp::LinkTopC:
    case NavOp::LinkNextC:
    case NavOp::LinkPrevC:
    case NavOp::LinkTopPG:
    case NavOp::LinkNextPG:
    case NavOp::LinkPrevPG:
    case NavOp::LinkPGN:
    case NavOp::LinkCN: {
      int from = CellLinked(m, link.op, a[0]);
      bool inside = from >= 1 && from <= Image(m).data[m.pgc + kPgcCellCount];
      if (inside) m.cell = from - 1;
      link = To(inside ? Go::Cells : Go::PgcEnd);
      return false;
    }
    case NavOp::LinkTopPGC:
      link = To(Go::PgcStart);
      return false;
    case NavOp::LinkTailPGC:
      link = To(Go::PgcEnd);
      return false;
    case NavOp::LinkNextPGC:
      pgcField = kPgcNext;
      break;
    case NavOp::LinkPrevPGC:
      pgcField = kPgcPrev;
      break;
    case NavOp::LinkGoUpPGC:
      pgcField = kPgcGoUp;
      break;
    case NavOp::LinkPGCN:
      if (!SetPgcN(m, int(a[0]))) {
        *end = Fault(FaultKind::Other, "LinkPGCN %u: no such program chain", a[0]);
        return true;
      }
      link = To(Go::PgcStart);
      return false;
    case NavOp::LinkPTT:
      if (m.domain != Domain::Title) {
        *end = Fault(FaultKind::Other, "LinkPTT outside a title");
        return true;
      }
      if (!SetVtsPart(m, m.vts, m.sprm[kTitleInSet], int(a[0]))) break;
      link = To(Go::Cells);
      return false;
    case NavOp::RSM:
      if (!m.resumeVts) break;
      m.domain = Domain::Title;
      m.vts = m.resumeVts;
      for (int i = 0; i < 5; ++i) m.sprm[4 + i] = m.resumeSprm[i];
      if (!SetPgcN(m, m.resumePgcN)) {
        *end = Fault(FaultKind::Other, "RSM: the title's program chain is gone");
        return true;
      }
      link = To(Go::Cells);
      return false;
    case NavOp::JumpTT:
      if (m.domain != Domain::Vmgm && m.domain != Domain::FirstPlay) {
        *end = Fault(FaultKind::JumpTT, "JumpTT %u from a title or title set menu", a[0]);
        return true;
      }
      if (int(a[0]) > Disc.TitleCount) {
        *end = Fault(FaultKind::Other, "JumpTT %u: the disc has %d titles", a[0], Disc.TitleCount);
        return true;
      }
      if (!SetTitle(m, int(a[0]))) break;
      link = To(Go::PgcStart);
      return false;
    case NavOp::JumpVTS_TT:
    case NavOp::JumpVTS_PTT:
      if (m.domain != Domain::Vtsm && m.domain != Domain::Title) {
        *end = Fault(FaultKind::Other, "JumpVTS_TT outside a title set");
        return true;
      }
      if (!SetVtsPart(m, m.vts, int(a[0]), link.op == NavOp::JumpVTS_PTT ? int(a[1]) : 1)) break;
      link = To(Go::PgcStart);
      return false;
    case NavOp::JumpSS_FP:
    case NavOp::CallSS_FP: {
      bool call = link.op == NavOp::CallSS_FP;
      if (call ? m.domain != Domain::Title : m.domain != Domain::Vmgm && m.domain != Domain::Vtsm) {
        *end = Fault(FaultKind::Other, call ? "CallSS outside a title" : "JumpSS FP from a title");
        return true;
      }
      if (call) SaveResume(m);
      if (!ToFirstPlay(m, end)) return true;
      link = To(Go::PgcStart);
      return false;
    }
    case NavOp::JumpSS_VMGM_Menu:
    case NavOp::JumpSS_VMGM_PGC:
    case NavOp::CallSS_VMGM_Menu:
    case NavOp::CallSS_VMGM_PGC: {
      bool call = link.op == NavOp::CallSS_VMGM_Menu || link.op == NavOp::CallSS_VMGM_PGC;
      bool byMenu = link.op == NavOp::JumpSS_VMGM_Menu || link.op == NavOp::CallSS_VMGM_Menu;
      if (call ? m.domain != Domain::Title : m.domain == Domain::Title) {
        *end = Fault(FaultKind::Other,
                     call ? "CallSS outside a title" : "JumpSS to the video manager from a title");
        return true;
      }
      if (!HasMenus(m.vmg, kVmgMenuPgciUtSector)) break;
      if (call) SaveResume(m);
      m.domain = Domain::Vmgm;
      if (byMenu ? !SetMenu(m, a[0]) : !SetPgcN(m, int(a[0]))) {
        *end = byMenu ? Fault(FaultKind::MissingMenu, "the video manager has no %s", MenuWords(a[0]))
                      : Fault(FaultKind::MissingMenu, "the video manager has no menu program chain %u", a[0]);
        return true;
      }
      link = To(Go::PgcStart);
      return false;
    }
    case NavOp::JumpSS_VTSM:
    case NavOp::CallSS_VTSM: {
      bool call = link.op == NavOp::CallSS_VTSM;
      int v = call ? m.vts : int(a[0]);
      uint32_t menu = call ? a[0] : a[2];
      if (call ? m.domain != Domain::Title
               : (v == 0       ? m.domain != Domain::Vtsm
                  : v != m.vts ? m.domain != Domain::Vmgm && m.domain != Domain::FirstPlay
                               : m.domain == Domain::Title)) {
        *end = Fault(FaultKind::Other,
                     call ? "CallSS outside a title" : "JumpSS VTSM from where it is not allowed");
        return true;
      }
      if (v == 0) v = m.vts;
      if (v < 1 || v > Disc.TitleSetCount) {
        *end = Fault(FaultKind::Other, "JumpSS VTSM: no title set %d", v);
        return true;
      }
      if (!HasMenus(VtsImageRef(v), kVtsMenuPgciUtSector)) break;
      if (call) {
        SaveResume(m);
      } else {
        m.sprm[kTitleInSet] = uint16_t(a[1]);
        m.sprm[kTitleNumber] = uint16_t(TitleNumber(m, v, int(a[1])));
      }
      m.domain = Domain::Vtsm;
      m.vts = v;
      if (!SetMenu(m, menu)) {
        *end = Fault(FaultKind::MissingMenu, "title set %d has no %s", v, MenuWords(menu));
        return true;
      }
      link = To(Go::PgcStart);
      return false;
    }
    default:
      break;  // Exit, and every way a player stops
  }
  if (pgcField >= 0) {
    int n = ReadBe16(Image(m).data + m.pgc + pgcField);
    if (n == 0) {
      *end = Fault(FaultKind::Other, "a link to a program chain the chain does not name");
      return true;
    }
    if (SetPgcN(m, n)) {
      link = To(Go::PgcStart);
      return false;
    }
  }
  *end = Ends(NextKind::Stop);
  return true;
}

// Where a walk has played a title chain's cells: the same state again
// means the same video again, for ever.
struct Seen {
  int vts, pgcN, cell;
  uint16_t gprm[16];
  uint16_t sprm[24];
};

bool SeenBefore(const Machine& m, Seen* seen, int* count) {
  Seen now{};
  now.vts = m.vts;
  now.pgcN = m.pgcN;
  now.cell = m.cell;
  std::memcpy(now.gprm, m.gprm, sizeof now.gprm);
  std::memcpy(now.sprm, m.sprm, sizeof now.sprm);
  for (int i = 0; i < *count; ++i)
    if (std::memcmp(&seen[i], &now, sizeof now) == 0) return true;
  if (*count < kMaxSeenStates) seen[(*count)++] = now;
  return false;
}

NavNext Repeats(const Machine& m) {
  NavNext n = Ends(NextKind::Repeat);
  bool first;
  n.title = NameChain(m, &first);
  n.titleSet = m.vts;
  n.pgc = m.pgcN;
  return n;
}

// Walks from `link` to where a player shows something, stops or faults.
NavNext Walk(Machine& m, Link link) {
  Seen seen[kMaxSeenStates];
  int seenCount = 0;
  for (;;) {
    if (--m.steps < 0) return Fault(FaultKind::Other, "a loop that plays nothing");
    switch (link.go) {
      case Go::PgcStart:
        link = StartPgc(m);
        break;
      case Go::PgcEnd:
        link = EndPgc(m);
        break;
      case Go::Cells:
        if (m.domain == Domain::Vmgm || m.domain == Domain::Vtsm) return MenuHere(m);
        if (m.domain == Domain::Title) {
          // A chain of the title being ended, other than its first, or of
          // no title of the disc, plays on: its cells take no time.
          bool first;
          int title = NameChain(m, &first);
          if (title && (title != m.endingTitle || first)) {
            NavNext n = Ends(NextKind::Title);
            n.title = title;
            return n;
          }
          if (SeenBefore(m, seen, &seenCount)) return Repeats(m);
        }
        link = PlayCells(m);
        break;
      case Go::Command: {
        NavNext end;
        if (Follow(m, link, &end)) return end;
        break;
      }
    }
  }
}

// The registers as libdvdnav starts them: First Play commands test the
// language, country, region and player's abilities.
Machine Fresh(ImageRef vmg, const ChapterIndex* chapters, int language) {
  Machine m{};
  m.vmg = vmg;
  m.chapters = chapters;
  m.sprm[kMenuLanguage] = uint16_t(language ? language : kEnglish);
  m.sprm[1] = 15;
  m.sprm[2] = 62;
  m.sprm[3] = 1;
  m.sprm[kTitleNumber] = 1;
  m.sprm[kTitleInSet] = 1;
  m.sprm[kPartNumber] = 1;
  m.sprm[8] = 1 << 10;
  m.sprm[12] = 'U' << 8 | 'S';  // parental country
  m.sprm[13] = 15;              // parental level
  m.sprm[14] = 0x100;           // video preference: pan and scan
  m.sprm[15] = 0x7CFC;          // every audio kind
  m.sprm[16] = kEnglish;        // audio language
  m.sprm[18] = kEnglish;        // sub-picture language
  m.sprm[20] = 1;               // region mask: region free
  m.steps = kStepLimit;
  return m;
}

// Title n's end: as a viewer who picked it once First Play had run (its
// pre commands set registers; a jump among them is not taken, as players
// do when a title is chosen), its cells played, its last cell's command
// run: *start is where the walk goes on from there.
bool ToTitleEnd(Machine& m, int n, NavNext* end, Link* start) {
  if (!SetTitle(m, n)) {
    *end = Fault(FaultKind::Other, "title %d has no program chain", n);
    return false;
  }
  Link ignored;
  RunPgcCommands(m, 0, &ignored);
  TitleChain chain;
  if (!FindTitleChain(m.vmg, n - 1, &chain) || !SetPgcN(m, chain.pgcNumber)) {
    *end = Fault(FaultKind::Other, "title %d has no program chain", n);
    return false;
  }
  m.endingTitle = n;
  int cells = Image(m).data[m.pgc + kPgcCellCount];
  m.cell = cells > 0 ? cells - 1 : 0;
  *start = PlayCells(m);
  return true;
}

bool SameNext(const NavNext& a, const NavNext& b) {
  return a.kind == b.kind && a.title == b.title && a.vmgm == b.vmgm && a.titleSet == b.titleSet &&
         a.pgc == b.pgc;
}

// One walk for every value of every random draw along the way. A walk
// through no draw ends one way; otherwise the titles the draws reach make
// a random end (a fault on any of them wins: the disc can hit it).
NavNext Preview(const Machine& from, int title, Machine* after, long& budget) {
  Draws draws{};
  NavNext result{};
  NavNext titles = Ends(NextKind::Random);
  bool first = true, mixed = false;
  long spent = 0;
  const char* tooLong = "not previewed: the disc's commands took too many steps";
  if (budget <= 0) return Fault(FaultKind::Other, "%s", tooLong);
  for (int run = 0; run < kMaxRuns && spent < kPreviewSteps && budget > 0; ++run) {
    Machine m = from;
    const long allowed = budget < kStepLimit ? budget : kStepLimit;
    m.steps = allowed;
    m.draws = draws;
    NavNext end{};
    Link start = To(Go::PgcStart);
    bool placed = title ? ToTitleEnd(m, title, &end, &start) : ToFirstPlay(m, &end);
    if (placed) end = Walk(m, start);
    if (m.steps < 0 && allowed < kStepLimit) end = Fault(FaultKind::Other, "%s", tooLong);
    if (run == 0 && after) *after = m;
    long used = allowed - (m.steps > 0 ? m.steps : 0);
    spent += used;
    budget -= used;
    if (first) {
      result = end;
      first = false;
    } else if (!SameNext(end, result)) {
      mixed = true;
    }
    if (end.kind == NextKind::Fault && result.kind != NextKind::Fault) result = end;
    if (end.kind == NextKind::Title) titles.titles[end.title / 64] |= uint64_t(1) << (end.title % 64);
    // The next combination of draws, the last one first.
    draws = m.draws;
    draws.count = draws.used < draws.count ? draws.used : draws.count;
    while (draws.count > 0 && draws.value[draws.count - 1] >= draws.range[draws.count - 1]) --draws.count;
    if (draws.count == 0) break;
    draws.value[draws.count - 1] += 1;
    draws.used = 0;
  }
  if (!mixed || result.kind == NextKind::Fault || (titles.titles[0] | titles.titles[1]) == 0) return result;
  return titles;
}

}  // namespace

int FindMenuPgc(ImageRef image, int tableField, int language, int menu) {
  MenuUnit unit;
  return FindMenuUnit(image, TableOffset(image, tableField), language, &unit)
             ? EntryPgc(image, unit, uint32_t(menu))
             : 0;
}

bool CanReach(const NavNext& next, int title) {
  if (next.kind == NextKind::Title) return next.title == title;
  return next.kind == NextKind::Random && title > 0 && title < 128 &&
         (next.titles[title / 64] >> (title % 64)) & 1;
}

std::string NextWords(const NavNext& next) {
  switch (next.kind) {
    case NextKind::Title:
      return "title " + std::to_string(next.title);
    case NextKind::Random: {
      std::string words = "a random title of";
      for (int t = 1; t <= kMaxTitles; ++t)
        if (CanReach(next, t)) words += " " + std::to_string(t);
      return words;
    }
    case NextKind::Menu:
      if (next.vmgm) return "menu VMGM " + std::to_string(next.pgc);
      return "menu VTSM " + std::to_string(next.pgc) + " of title set " + std::to_string(next.titleSet);
    case NextKind::Stop:
      return "stop";
    case NextKind::Repeat:
      return "repeats title chain " + std::to_string(next.pgc) +
             (Disc.TitleSetCount > 1 ? " of title set " + std::to_string(next.titleSet) : "");
    case NextKind::Fault:
      break;
  }
  return std::string("fault: ") + next.reason;
}

int MenuLanguages(ImageRef vmg, int* codes, int capacity) {
  MenuTable table;
  ReadMenuTable(vmg, TableOffset(vmg, kVmgMenuPgciUtSector), &table);
  int n = 0;
  for (MenuUnit unit; n < capacity && ReadMenuUnit(vmg, table, n, &unit) == MenuUnitFault::None;)
    codes[n++] = ReadBe16(vmg.data + unit.pointer);
  return n;
}

void PreviewDisc(ImageRef vmg, int language, NavPreview* out) {
  // Built once here, so that finding a chain's title costs the same at
  // every step of every walk.
  static ChapterIndex chapters;
  BuildChapterIndex(vmg, &chapters);
  int first = 0;
  out->language = MenuLanguages(vmg, &first, 1) > 0 ? (language ? language : kEnglish) : 0;
  Machine fresh = Fresh(vmg, &chapters, language);
  Machine started = fresh;
  long budget = kDiscSteps;
  out->start = Preview(fresh, 0, &started, budget);
  started.steps = kStepLimit;
  started.draws = Draws{};
  out->titleCount = Disc.TitleCount < kMaxTitles ? Disc.TitleCount : kMaxTitles;
  for (int t = 1; t <= out->titleCount; ++t) out->after[t - 1] = Preview(started, t, nullptr, budget);
}
