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
