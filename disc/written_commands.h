// The navigation commands this program writes, each named once: reading
// recognises an earlier execute's work by the same bytes.
#pragma once

#include <cstdint>

constexpr int kCommandBytes = 8;

// Exit: playback stops.
constexpr uint8_t kExitCommand[kCommandBytes] = {0x30, 0x01, 0, 0, 0, 0, 0, 0};
// JumpTT 1: the disc starts again with title 1.
constexpr uint8_t kJumpTitleOneCommand[kCommandBytes] = {0x30, 0x02, 0, 0, 0, 0x01, 0, 0};

// JumpVTS_PTT: chapter 1 of title `titleInSet` of the same title set.
void RepeatCommand(int titleInSet, uint8_t out[kCommandBytes]);
// CallSS to video manager menu program chain `pgc`, resuming at cell 1: how
// a title reaches the dispatcher.
void CallDispatcherCommand(int pgc, uint8_t out[kCommandBytes]);
// JumpSS to video manager menu program chain `pgc`: how First Play reaches
// the dispatcher for random play.
void JumpDispatcherCommand(int pgc, uint8_t out[kCommandBytes]);

// "if (SPRM 4 != title) Goto line": in front of a chain's post commands, the
// end of one title among those playing the chain; `line` (1-based in the
// post commands) is past the end it guards.
void GuardCommand(int title, int line, uint8_t out[kCommandBytes]);
// Whether `command` is such a guard; its title and line when it is.
bool IsGuard(const uint8_t* command, int* title, int* line);
// Goto and SetTmpPML name a line (1-based) of their own command list in
// byte 7: where `by` lines are put in front of line `from`, one naming it
// or a later line follows. Other commands stay.
void MoveGotoLine(uint8_t command[kCommandBytes], int from, int by);
