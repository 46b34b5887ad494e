// `apply --dry-run`: patch in memory, show what would change, put the
// images back as they were read.
#pragma once

#include <string>
#include <vector>

#include "cli/apply_options.h"
#include "disc/nav_vm.h"

// False when the patch itself refused (its message already shown).
bool PrintDryRun();

// PreviewPatched once ApplyChoices has set the titles; *previewed says whether
// it could be made. False with a usage error when a menu call asked for ends
// where libdvdnav aborts (a menu the disc lacks altogether is only warned
// about: players go on or stop).
bool PreviewChoices(const ApplyOptions& options, NavPreview* after, bool* previewed, std::string* error);

// PlaybackWarnings, each printed as one line on standard error.
std::vector<std::string> PrintWarnings(const NavPreview* after);
