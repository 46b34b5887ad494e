// The per-title end action model: text form of commands, start-up defaults,
// and reading each title's current action back from the disc.
#pragma once

#include <cstddef>
#include <cstdint>

#include "disc/disc_state.h"

// out: at least 24 bytes.
void FormatCommandText(const uint8_t command[8], char* out);
void ParseCommandText(int n, const char* text);
void ResetActions();
// Each title's action from its post command; a call of video manager menu
// chain `dispatcherCalled` is a call of the dispatcher.
void DeriveActionsFromDisc(int dispatcherCalled);

// Menu choice codes 0..134 and the commands that call them.
constexpr int kMenuChoiceCount = 135;
void MenuCommand(int menuCode, uint8_t out[8]);
