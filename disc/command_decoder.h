// The DVD-Video navigation command set, decoded from one table in the manner
// of a player's virtual machine: which registers a command names, and the
// command in words.
#pragma once

#include <cstddef>
#include <cstdint>

// Bit r set when the command reads or writes general parameter register r.
uint16_t RegistersNamed(const uint8_t command[8]);

// The command in words, e.g. "if (g1 == g2) JumpTT 3".
void DescribeCommand(const uint8_t command[8], char* out, std::size_t capacity);

// What a player's machine does with a command, from the same table the
// words come from: an optional comparison, register sets and one link,
// jump or call.
// clang-format off
enum class NavOp : uint8_t {
  None, Goto, Break, SetTmpPML,
  LinkNoLink, LinkTopC, LinkNextC, LinkPrevC, LinkTopPG, LinkNextPG, LinkPrevPG,
  LinkTopPGC, LinkNextPGC, LinkPrevPGC, LinkGoUpPGC, LinkTailPGC, RSM,
  LinkPGCN, LinkPTT, LinkPGN, LinkCN,
  Exit, JumpTT, JumpVTS_TT, JumpVTS_PTT,
  JumpSS_FP, JumpSS_VMGM_Menu, JumpSS_VTSM, JumpSS_VMGM_PGC,
  CallSS_FP, CallSS_VMGM_Menu, CallSS_VTSM, CallSS_VMGM_PGC,
};
// clang-format on
enum class NavOperandKind : uint8_t { None, Gprm, Sprm, Value };
struct NavOperand {
  NavOperandKind kind;
  uint16_t number;
};
struct NavSet {
  uint8_t op;  // 1 =, 2 swap, 3 +=, 4 -=, 5 *=, 6 /=, 7 %=, 8 random, 9 &=, 10 |=, 11 ^=
  NavOperand target, source;
};
struct NavCommand {
  uint8_t compareOp;  // 0 none, 1 &, 2 ==, 3 !=, 4 >=, 5 >, 6 <=, 7 <
  NavOperand compare[2];
  bool compareGuardsSets, compareGuardsThen;
  int setCount;
  NavSet sets[3];
  NavOp then;
  uint32_t args[3];  // the numbers in the order the words show them
};
// False when the command does not decode (its words would be "unknown").
bool DecodeNavCommand(const uint8_t command[8], NavCommand* out);

// "title menu", "root menu", ... for a menu number of JumpSS/CallSS; null
// when the number names none.
const char* MenuName(uint32_t menu);

// Every general parameter register named by the disc's own commands in its
// information files (First Play, every menu and title program chain), as
// read into IfoStore. Button commands live in the menu VOBs and are not seen.
uint16_t RegistersUsedByDisc();

// The lowest r for which neither r nor (r + 1) mod 16 is in `used`, or -1.
int FreeRegisterPair(uint16_t used);
