// What a user should read before a disc is written, one line each: what a
// player would hit once the chosen end actions are on the disc. Both front
// ends show these lines, so they never differ on what there is to warn of.
#pragma once

#include <string>
#include <vector>

#include "disc/nav_vm.h"

// For the actions in Disc, given the preview of the patched disc (null when
// the patch would refuse).
std::vector<std::string> PlaybackWarnings(const NavPreview* after);
