// What `reelwrite apply` was asked to do, parsed and checked before any file
// is read, so a typing mistake never half-changes a disc.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TitleOverride {
  int title;            // 1..99
  int kind;             // EndActionKind
  int target;           // 0-based, for jumps
  int menu;             // menu choice code
  std::string command;  // the hexadecimal text, for commands
};

struct ApplyOptions {
  std::string folder;
  int preset = -1;  // -1: none asked for
  std::vector<TitleOverride> titles;
  int menuRegister = -1;
  bool noMenu = false;
  bool random = false;
  bool yes = false;
  bool noBackup = false;
  bool dryRun = false;
  bool json = false;
};

// False with a message fit for the user when the arguments are malformed.
bool ParseApplyOptions(const std::vector<std::string>& args, ApplyOptions* options, std::string* error);
// Sets Disc from the options, in apply's order, once the disc is read.
// False, with Disc untouched, when a title or a jump target is not on the disc.
bool ApplyChoices(const ApplyOptions& options, std::string* error);
bool ParseTitleAction(const std::string& text, TitleOverride* out, std::string* error);
bool ParsePreset(const std::string& text, int* preset);

struct PresetName {
  const char* name;
  const char* meaning;
};
extern const PresetName kPresetNames[8];
