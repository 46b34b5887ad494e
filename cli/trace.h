// The playback preview as the command line shows it: in words, or as JSON
// whose shape scripts depend on.
#pragma once

#include <string>

#include "disc/nav_vm.h"

// "en"; "" when the disc has no menu language units.
std::string LanguageName(int code);
// 'e' << 8 | 'n' for "en"; -1 when the text is not two letters.
int LanguageCode(const std::string& text);

// One line each: "start → menu VMGM 1", "after title 1 → title 2", ...
std::string TraceText(const NavPreview& preview);
std::string TraceJson(const std::string& folder, const NavPreview& preview);

// Whether the disc as read has video manager menus in that language.
bool HasMenuLanguage(int code);
