#include "disc/command_decoder.h"

#include "disc/menu_table.h"

#include <cstdarg>
#include <cstdio>

#include "disc/disc_state.h"
#include "disc/menu_table.h"
#include "disc/pgc_walk.h"

// Bits are numbered as players number them: 63 is the top bit of byte 0,
// 0 the bottom bit of byte 7; a field is `count` bits ending at `start`.
// Every field position below is given that way, so each row can be checked
// against the command layout of the DVD-Video format.

namespace {

uint64_t Instruction(const uint8_t command[8]) {
  uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v = (v << 8) | command[i];
  return v;
}

uint32_t GetBits(uint64_t instruction, int start, int count) {
  return uint32_t((instruction >> (start - count + 1)) & ((uint64_t(1) << count) - 1));
}

// Where an operand stands and how its bits are read.
enum class At : uint8_t {
  None,
  RegisterByte,  // bit 7 set: system register (low 7 bits), else general register (low 4 bits)
  Gprm,          // the field is a general register number
  Sprm,          // a fixed system register, number in `start`
  Value,         // immediate number
};
struct Slot {
  At at;
  int8_t start;
  int8_t count;
};
// An operand that is an immediate or a register, picked by a flag bit.
struct Choice {
  Slot ifRegister;
  Slot ifImmediate;
};

constexpr int kSetImmediateBit = 60;
constexpr int kCompareImmediateBit = 55;

// The comparison that guards a command: operator in bits 54..52.
struct CompareForm {
  Slot first;
  Choice second;
  bool secondMayBeImmediate;  // bit 55 picks the immediate
};
constexpr CompareForm kCompareByte3 = {  // 0 special, 1 link; 5 and 6 with a register source
    {At::RegisterByte, 39, 8},
    {{At::RegisterByte, 23, 8}, {At::Value, 31, 16}},
    true};
constexpr CompareForm kCompareBytes67 = {  // 1 jump/call, 2 set system: registers only
    {At::RegisterByte, 15, 8},
    {{At::RegisterByte, 7, 8}, {At::RegisterByte, 7, 8}},
    false};
constexpr CompareForm kCompareByte2 = {  // 3 set
    {At::RegisterByte, 47, 8},
    {{At::RegisterByte, 7, 8}, {At::Value, 15, 16}},
    true};
constexpr CompareForm kCompareByte1 = {  // 4: the set's own destination
    {At::Gprm, 51, 4},
    {{At::RegisterByte, 23, 8}, {At::Value, 31, 16}},
    true};
constexpr CompareForm kCompareBytes45 = {  // 5 and 6 with an immediate source in bytes 2-3
    {At::RegisterByte, 31, 8},
    {{At::RegisterByte, 23, 8}, {At::RegisterByte, 23, 8}},
    false};

// A general register set: operator in bits 59..56, bit 60 picks an immediate source.
struct SetForm {
  Slot destination;
  Choice source;
};
constexpr SetForm kSetByte3 = {{At::Gprm, 35, 4}, {{At::RegisterByte, 23, 8}, {At::Value, 31, 16}}};
constexpr SetForm kSetByte1 = {{At::Gprm, 51, 4}, {{At::RegisterByte, 39, 8}, {At::Value, 47, 16}}};
constexpr SetForm kSetByte1Source2 = {{At::Gprm, 51, 4}, {{At::RegisterByte, 47, 8}, {At::Value, 47, 16}}};

enum class Then : uint8_t { Special, Link, Jump, OptionalLink, LinkSub };
enum class Sets : uint8_t { None, General, System };

// The instruction groups, by the top three bits (group 1 split by bit 60).
// Parts are printed in order: 0 the set or main action, 1 the link; the
// comparison guards parts guardFrom .. guardTo - 1.
struct Group {
  const CompareForm* compare;
  const CompareForm* compareIfSetImmediate;
  Sets sets;
  const SetForm* set;
  Then then;
  int8_t guardFrom;
  int8_t guardTo;
};
constexpr Group kGroups[] = {
    {&kCompareByte3, &kCompareByte3, Sets::None, nullptr, Then::Special, 0, 2},                 // 0 special
    {&kCompareByte3, &kCompareByte3, Sets::None, nullptr, Then::Link, 0, 2},                    // 1 link
    {&kCompareBytes67, &kCompareBytes67, Sets::None, nullptr, Then::Jump, 0, 2},                // 1 jump/call
    {&kCompareBytes67, &kCompareBytes67, Sets::System, nullptr, Then::OptionalLink, 0, 2},      // 2
    {&kCompareByte2, &kCompareByte2, Sets::General, &kSetByte3, Then::OptionalLink, 0, 2},      // 3
    {&kCompareByte1, &kCompareByte1, Sets::General, &kSetByte1, Then::LinkSub, 1, 2},           // 4
    {&kCompareByte3, &kCompareBytes45, Sets::General, &kSetByte1Source2, Then::LinkSub, 0, 2},  // 5
    {&kCompareByte3, &kCompareBytes45, Sets::General, &kSetByte1Source2, Then::LinkSub, 0, 1},  // 6
};

const char* const kCompareOps[8] = {nullptr, "&", "==", "!=", ">=", ">", "<=", "<"};

// Formats: %o an operand, %u a number, %m a menu, %b ", button n" when n > 0.
const char* const kSetOps[16] = {
    nullptr,           "%o = %o",  "%o <-> %o", "%o += %o", "%o -= %o", "%o *= %o", "%o /= %o", "%o %%= %o",
    "%o = random(%o)", "%o &= %o", "%o |= %o",  "%o ^= %o", nullptr,    nullptr,    nullptr,    nullptr};

// A mnemonic with up to three numeric fields, looked up by operation and
// (where the operation has them) sub-operation.
struct Field {
  int8_t start;
  int8_t count;
};
struct Mnemonic {
  uint8_t op;
  int8_t sub;  // -1: any
  const char* format;
  Field fields[3];
  NavOp action;
};
constexpr Field kButton = {15, 6};

const Mnemonic kSpecials[] = {
    {0, -1, "Nop", {}, NavOp::None},
    {1, -1, "Goto %u", {{7, 8}}, NavOp::Goto},
    {2, -1, "Break", {}, NavOp::Break},
    {3, -1, "SetTmpPML %u, Goto %u", {{11, 4}, {7, 8}}, NavOp::SetTmpPML},
};

// Link by sub-instruction: code in the low five bits of byte 7.
const Mnemonic kLinkSubs[] = {
    {0, -1, "LinkNoLink%b", {kButton}, NavOp::LinkNoLink},
    {1, -1, "LinkTopC%b", {kButton}, NavOp::LinkTopC},
    {2, -1, "LinkNextC%b", {kButton}, NavOp::LinkNextC},
    {3, -1, "LinkPrevC%b", {kButton}, NavOp::LinkPrevC},
    {5, -1, "LinkTopPG%b", {kButton}, NavOp::LinkTopPG},
    {6, -1, "LinkNextPG%b", {kButton}, NavOp::LinkNextPG},
    {7, -1, "LinkPrevPG%b", {kButton}, NavOp::LinkPrevPG},
    {9, -1, "LinkTopPGC%b", {kButton}, NavOp::LinkTopPGC},
    {10, -1, "LinkNextPGC%b", {kButton}, NavOp::LinkNextPGC},
    {11, -1, "LinkPrevPGC%b", {kButton}, NavOp::LinkPrevPGC},
    {12, -1, "LinkGoUpPGC%b", {kButton}, NavOp::LinkGoUpPGC},
    {13, -1, "LinkTailPGC%b", {kButton}, NavOp::LinkTailPGC},
    {16, -1, "RSM%b", {kButton}, NavOp::RSM},
};
constexpr Field kLinkSubCode = {4, 5};

// Links: operation in bits 51..48 (1 is the sub-instruction form above).
const Mnemonic kLinks[] = {
    {4, -1, "LinkPGCN %u", {{14, 15}}, NavOp::LinkPGCN},
    {5, -1, "LinkPTT %u%b", {{9, 10}, kButton}, NavOp::LinkPTT},
    {6, -1, "LinkPGN %u%b", {{6, 7}, kButton}, NavOp::LinkPGN},
    {7, -1, "LinkCN %u%b", {{7, 8}, kButton}, NavOp::LinkCN},
};

// Jumps and calls: operation in bits 51..48, domain of JumpSS/CallSS in bits 23..22.
const Mnemonic kJumps[] = {
    {1, -1, "Exit", {}, NavOp::Exit},
    {2, -1, "JumpTT %u", {{22, 7}}, NavOp::JumpTT},
    {3, -1, "JumpVTS_TT %u", {{22, 7}}, NavOp::JumpVTS_TT},
    {5, -1, "JumpVTS_PTT %u:%u", {{22, 7}, {41, 10}}, NavOp::JumpVTS_PTT},
    {6, 0, "JumpSS FP", {}, NavOp::JumpSS_FP},
    {6, 1, "JumpSS VMGM %m", {{19, 4}}, NavOp::JumpSS_VMGM_Menu},
    {6, 2, "JumpSS VTSM vts %u title %u, %m", {{31, 8}, {39, 8}, {19, 4}}, NavOp::JumpSS_VTSM},
    {6, 3, "JumpSS VMGM PGC %u", {{46, 15}}, NavOp::JumpSS_VMGM_PGC},
    {8, 0, "CallSS FP, resume cell %u", {{31, 8}}, NavOp::CallSS_FP},
    {8, 1, "CallSS VMGM %m, resume cell %u", {{19, 4}, {31, 8}}, NavOp::CallSS_VMGM_Menu},
    {8, 2, "CallSS VTSM %m, resume cell %u", {{19, 4}, {31, 8}}, NavOp::CallSS_VTSM},
    {8, 3, "CallSS VMGM PGC %u, resume cell %u", {{46, 15}, {31, 8}}, NavOp::CallSS_VMGM_PGC},
};
constexpr Field kJumpDomain = {23, 2};

const char* const kMenuNames[16] = {
    nullptr,      nullptr,      "title menu",  "root menu", "sub-picture menu",
    "audio menu", "angle menu", "chapter menu"};

// System register sets: operation in bits 59..56, bit 60 picks immediates.
// One row per register written; a row with a flag bit writes only when it
// is set (SetSTN's three streams).
struct SystemSet {
  uint8_t op;
  Slot target;
  int8_t flag;  // -1: always
  Choice source;
  int8_t modeBit;  // SetGPRMMD: counter (1) or register (0) mode; -1: none
};
const SystemSet kSystemSets[] = {
    // SetSTN: audio, sub-picture, angle; each a flag bit, then 7 bits of value or a register nibble.
    {1, {At::Sprm, 1, 0}, 39, {{At::Gprm, 35, 4}, {At::Value, 38, 7}}, -1},
    {1, {At::Sprm, 2, 0}, 31, {{At::Gprm, 27, 4}, {At::Value, 30, 7}}, -1},
    {1, {At::Sprm, 3, 0}, 23, {{At::Gprm, 19, 4}, {At::Value, 22, 7}}, -1},
    // SetNVTMR: the timer, then the program chain it runs out to.
    {2, {At::Sprm, 9, 0}, -1, {{At::RegisterByte, 39, 8}, {At::Value, 47, 16}}, -1},
    {2, {At::Sprm, 10, 0}, -1, {{At::Value, 30, 15}, {At::Value, 30, 15}}, -1},
    // SetGPRMMD: a general register and its mode.
    {3, {At::Gprm, 19, 4}, -1, {{At::RegisterByte, 39, 8}, {At::Value, 47, 16}}, 23},
    // SetAMXMD (karaoke mixing) and SetHL_BTNN (highlighted button, n * 1024).
    {4, {At::Sprm, 11, 0}, -1, {{At::RegisterByte, 23, 8}, {At::Value, 31, 16}}, -1},
    {6, {At::Sprm, 8, 0}, -1, {{At::RegisterByte, 23, 8}, {At::Value, 31, 16}}, -1},
};

enum class Kind : uint8_t { None, Gprm, Sprm, Value };
struct Operand {
  Kind kind;
  uint32_t number;
};

// Collects the words of a command and the general registers it names.
struct Sink {
  uint64_t instruction;
  char* out;
  std::size_t capacity;
  std::size_t length;
  uint16_t registers;
  bool known;
  NavCommand* nav;  // filled as the parts are read, when set

  void Put(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    if (!out || length + 1 >= capacity) return;
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(out + length, capacity - length, format, args);
    va_end(args);
    if (n > 0) length = (std::size_t(n) < capacity - length) ? length + n : capacity - 1;
  }
  uint32_t Bits(int start, int count) const { return GetBits(instruction, start, count); }
  uint32_t Bits(Field f) const { return GetBits(instruction, f.start, f.count); }
};

Operand Read(const Sink& s, Slot slot) {
  switch (slot.at) {
    case At::None:
      return {Kind::None, 0};
    case At::RegisterByte: {
      uint32_t b = s.Bits(slot.start, slot.count);
      return (b & 0x80) ? Operand{Kind::Sprm, b & 0x7F} : Operand{Kind::Gprm, b & 0x0F};
    }
    case At::Gprm:
      return {Kind::Gprm, s.Bits(slot.start, slot.count)};
    case At::Sprm:
      return {Kind::Sprm, uint32_t(slot.start)};
    case At::Value:
      return {Kind::Value, s.Bits(slot.start, slot.count)};
  }
  return {Kind::None, 0};
}

Operand Pick(const Sink& s, Choice c, bool immediate) {
  return Read(s, immediate ? c.ifImmediate : c.ifRegister);
}

NavOperand ForNav(Operand o) { return NavOperand{NavOperandKind(o.kind), uint16_t(o.number)}; }

void RecordSet(Sink& s, uint32_t op, Operand target, Operand source) {
  if (!s.nav || s.nav->setCount >= 3) return;
  s.nav->sets[s.nav->setCount++] = NavSet{uint8_t(op), ForNav(target), ForNav(source)};
}

void PutOperand(Sink& s, Operand o) {
  switch (o.kind) {
    case Kind::Gprm:
      s.registers |= uint16_t(1u << o.number);
      s.Put("g%u", o.number);
      break;
    case Kind::Sprm:
      s.Put("s%u", o.number);
      break;
    case Kind::Value:
      s.Put("%u", o.number);
      break;
    case Kind::None:
      break;
  }
}

// Prints `format` with its numeric fields; operands come from `operands`.
void PutFormat(Sink& s, const char* format, const Field* fields, const Operand* operands) {
  for (const char* p = format; *p; ++p) {
    if (*p != '%' || !p[1]) {
      s.Put("%c", *p);
      continue;
    }
    switch (*++p) {
      case 'u':
        s.Put("%u", s.Bits(*fields++));
        break;
      case 'm': {
        uint32_t menu = s.Bits(*fields++);
        if (kMenuNames[menu])
          s.Put("%s", kMenuNames[menu]);
        else
          s.Put("menu %u", menu);
        break;
      }
      case 'b': {
        uint32_t button = s.Bits(*fields++);
        if (button) s.Put(", button %u", button);
        break;
      }
      case 'o':
        PutOperand(s, *operands++);
        break;
      default:
        s.Put("%c", *p);
        break;
    }
  }
}

template <std::size_t N>
const Mnemonic* Find(const Mnemonic (&table)[N], uint32_t op, uint32_t sub) {
  for (const Mnemonic& m : table)
    if (m.op == op && (m.sub < 0 || uint32_t(m.sub) == sub)) return &m;
  return nullptr;
}

bool PutMnemonic(Sink& s, const Mnemonic* m) {
  if (!m) {
    s.known = false;
    return false;
  }
  if (s.nav) {
    s.nav->then = m->action;
    for (int i = 0; i < 3; ++i) s.nav->args[i] = m->fields[i].count ? s.Bits(m->fields[i]) : 0;
  }
  PutFormat(s, m->format, m->fields, nullptr);
  return true;
}

// The parts of a command: whether each is present decides the layout.
bool HasSet(const Sink& s, const Group& g) {
  if (g.sets == Sets::General) return s.Bits(59, 4) != 0;
  if (g.sets == Sets::System) return true;
  return false;
}

bool HasThen(const Sink& s, const Group& g) {
  switch (g.then) {
    case Then::Special:
    case Then::Link:
    case Then::Jump:
      return true;
    case Then::OptionalLink:
      return s.Bits(51, 4) != 0;
    case Then::LinkSub:  // no link and no button is no link at all
      return s.Bits(kLinkSubCode) != 0 || s.Bits(kButton) != 0;
  }
  return false;
}

void PutSet(Sink& s, const Group& g) {
  bool immediate = s.Bits(kSetImmediateBit, 1) != 0;
  if (g.sets == Sets::General) {
    const char* format = kSetOps[s.Bits(59, 4)];
    if (!format) {
      s.known = false;
      return;
    }
    Operand operands[2] = {Read(s, g.set->destination), Pick(s, g.set->source, immediate)};
    RecordSet(s, s.Bits(59, 4), operands[0], operands[1]);
    PutFormat(s, format, nullptr, operands);
    return;
  }
  uint32_t op = s.Bits(59, 4);
  bool any = false, written = false;
  for (const SystemSet& row : kSystemSets) {
    if (row.op != op) continue;
    any = true;
    if (row.flag >= 0 && !s.Bits(row.flag, 1)) continue;
    if (written) s.Put(", ");
    written = true;
    Operand operands[2] = {Read(s, row.target), Pick(s, row.source, immediate)};
    RecordSet(s, 1, operands[0], operands[1]);
    PutFormat(s, "%o = %o", nullptr, operands);
    if (row.modeBit >= 0) s.Put(s.Bits(row.modeBit, 1) ? " (counter mode)" : " (register mode)");
  }
  if (!any) s.known = false;
  if (any && !written) s.Put("Nop");  // SetSTN that sets no stream
}

void PutThen(Sink& s, const Group& g) {
  switch (g.then) {
    case Then::Special:
      PutMnemonic(s, Find(kSpecials, s.Bits(51, 4), 0));
      return;
    case Then::Jump: {
      uint32_t op = s.Bits(51, 4);
      PutMnemonic(s, Find(kJumps, op, s.Bits(kJumpDomain)));
      return;
    }
    case Then::Link:
    case Then::OptionalLink: {
      uint32_t op = s.Bits(51, 4);
      if (op == 1)
        PutMnemonic(s, Find(kLinkSubs, s.Bits(kLinkSubCode), 0));
      else
        PutMnemonic(s, Find(kLinks, op, 0));
      return;
    }
    case Then::LinkSub:
      PutMnemonic(s, Find(kLinkSubs, s.Bits(kLinkSubCode), 0));
      return;
  }
}

void PutCompare(Sink& s, const Group& g) {
  bool setImmediate = g.sets == Sets::General && s.Bits(kSetImmediateBit, 1) != 0;
  const CompareForm& form = setImmediate ? *g.compareIfSetImmediate : *g.compare;
  bool immediate = form.secondMayBeImmediate && s.Bits(kCompareImmediateBit, 1) != 0;
  Operand operands[2] = {Read(s, form.first), Pick(s, form.second, immediate)};
  if (s.nav) {
    s.nav->compareOp = uint8_t(s.Bits(54, 3));
    s.nav->compare[0] = ForNav(operands[0]);
    s.nav->compare[1] = ForNav(operands[1]);
    s.nav->compareGuardsSets = g.guardFrom <= 0 && 0 < g.guardTo;
    s.nav->compareGuardsThen = g.guardFrom <= 1 && 1 < g.guardTo;
  }
  s.Put("if (");
  PutOperand(s, operands[0]);
  s.Put(" %s ", kCompareOps[s.Bits(54, 3)]);
  PutOperand(s, operands[1]);
  s.Put(") ");
}

int GroupIndex(uint64_t instruction) {
  uint32_t type = GetBits(instruction, 63, 3);
  if (type == 0) return 0;
  if (type == 1) return GetBits(instruction, 60, 1) ? 2 : 1;
  if (type <= 6) return int(type) + 1;
  return -1;
}

void Decode(Sink& s) {
  int index = GroupIndex(s.instruction);
  if (index < 0) {
    s.known = false;
    return;
  }
  const Group& g = kGroups[index];
  bool compare = s.Bits(54, 3) != 0;
  bool present[2] = {HasSet(s, g), HasThen(s, g)};
  int guarded = 0, after = 0;
  for (int p = 0; p < 2; ++p) {
    if (present[p] && p >= g.guardFrom && p < g.guardTo) ++guarded;
    if (present[p] && p >= g.guardTo) ++after;
  }
  bool braces = compare && (guarded > 1 || (guarded == 1 && after > 0));
  bool first = true;
  bool justOpened = false;  // "if (...) " needs no separator before what it guards
  for (int p = 0; p < 2; ++p) {
    if (compare && p == g.guardFrom) {
      if (!first) s.Put("; ");
      PutCompare(s, g);
      if (braces) s.Put("{ ");
      if (guarded == 0) s.Put("Nop");
      first = false;
      justOpened = guarded > 0;
    }
    if (present[p]) {
      if (!first && !justOpened) s.Put("; ");
      if (p == 0)
        PutSet(s, g);
      else
        PutThen(s, g);
      first = false;
      justOpened = false;
    }
    if (braces && p == g.guardTo - 1) s.Put(" }");
  }
  if (first) s.Put("Nop");
}

}  // namespace

uint16_t RegistersNamed(const uint8_t command[8]) {
  Sink s = {Instruction(command), nullptr, 0, 0, 0, true, nullptr};
  // Registers of the parts that decode are reported even when another part
  // does not: a register wrongly counted as used only narrows the choice of
  // a free pair, while one missed could be overwritten.
  Decode(s);
  return s.registers;
}

void DescribeCommand(const uint8_t command[8], char* out, std::size_t capacity) {
  if (capacity == 0) return;
  out[0] = '\0';
  Sink s = {Instruction(command), out, capacity, 0, 0, true, nullptr};
  Decode(s);
  if (!s.known) {
    s.length = 0;
    out[0] = '\0';
    s.Put("unknown %02X %02X %02X %02X %02X %02X %02X %02X", command[0], command[1], command[2], command[3],
          command[4], command[5], command[6], command[7]);
  }
}

bool DecodeNavCommand(const uint8_t command[8], NavCommand* out) {
  *out = NavCommand{};
  Sink s = {Instruction(command), nullptr, 0, 0, 0, true, out};
  Decode(s);
  return s.known;
}

const char* MenuName(uint32_t menu) { return menu < 16 ? kMenuNames[menu] : nullptr; }

namespace {

void AddPgcCommands(ImageRef image, int64_t pgc, void* context) {
  uint16_t* used = static_cast<uint16_t*>(context);
  CommandTable table;
  if (!ReadCommandTable(image, pgc, &table) || !table.present) return;
  int count = table.pre + table.post + table.cell;
  for (int i = 0; i < count; ++i)
    *used |= RegistersNamed(image.data + table.offset + 8 + int64_t(i) * kCommandSize);
}

// Our own dispatcher, left by an earlier execute, is not the disc's
// navigation: counting its pair would warn about, and steer away from, the
// registers we chose ourselves.
void AddMenuPgcCommands(ImageRef image, int64_t pgc, void* context) {
  if (!IsOurDispatcher(image, pgc)) AddPgcCommands(image, pgc, context);
}

}  // namespace

// Only the information files are searched. Button commands live in the menu
// VOBs, which are never read, so a register that only buttons name is not
// seen here.
uint16_t RegistersUsedByDisc() {
  uint16_t used = 0;
  ImageRef vmg = StoredVmgRef();
  int64_t firstPlay = FirstPlayPgcOffset(vmg);
  if (firstPlay >= 0) AddPgcCommands(vmg, firstPlay, &used);
  ForEachMenuPgc(vmg, TableOffset(vmg, kVmgMenuPgciUtSector), AddMenuPgcCommands, &used);
  for (int n = 1; n <= Disc.TitleSetCount && n < kMaxTitleSets + 1; ++n) {
    ImageRef vts = VtsImageRef(n);
    ForEachPgc(vts, TableOffset(vts, kVtsPgcitSector), AddPgcCommands, &used);
    ForEachMenuPgc(vts, TableOffset(vts, kVtsMenuPgciUtSector), AddPgcCommands, &used);
  }
  return used;
}

int FreeRegisterPair(uint16_t used) {
  for (int r = 0; r < 16; ++r)
    if (!(used & (1u << r)) && !(used & (1u << ((r + 1) % 16)))) return r;
  return -1;
}
