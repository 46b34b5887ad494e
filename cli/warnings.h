// What a user should read before a disc is written, one line each: what a
// player would hit once the chosen end actions are on the disc.
#pragma once

#include <string>
#include <vector>

#include "disc/nav_vm.h"

// For the actions in Disc, given the preview of the patched disc (null when
// the patch would refuse).
std::vector<std::string> PlaybackWarnings(const NavPreview* after);

// The same, each printed as one line on standard error.
std::vector<std::string> PrintWarnings(const NavPreview* after);
