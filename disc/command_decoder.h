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

// Every general parameter register named by the disc's own commands in its
// information files (First Play, every menu and title program chain), as
// read into IfoStore. Button commands live in the menu VOBs and are not seen.
uint16_t RegistersUsedByDisc();

// The lowest r for which neither r nor (r + 1) mod 16 is in `used`, or -1.
int FreeRegisterPair(uint16_t used);
