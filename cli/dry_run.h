// `apply --dry-run`: patch in memory, show what would change, put the
// images back as they were read.
#pragma once

#include <cstdint>
#include <functional>

#include <string>
#include <vector>

#include "cli/apply_options.h"
#include "disc/nav_vm.h"

// False when the patch itself refused (its message already shown).
bool PrintDryRun();

// Patches the images in memory as execute would, calls `look` (with the
// bytes as read, IfoStore's first bytes onwards) and puts the images back.
// False when the patch refused; its message is shown unless `quiet`.
bool WithPatchedImages(bool quiet, const std::function<void(const uint8_t* asRead)>& look);

// What the last patch in memory grew, one line a file ("VTS_01_0.IFO grows
// by 1 sector"); empty before any.
const std::vector<std::string>& PatchGrowth();

// The playback preview of the disc as execute would leave it (menus in the
// first language unit); false, quietly, when the patch would refuse.
bool PreviewPatched(NavPreview* out);

// PreviewPatched once ApplyChoices has set the titles; *previewed says whether
// it could be made. False with a usage error when a menu call asked for ends
// where libdvdnav aborts (a menu the disc lacks altogether is only warned
// about: players go on or stop).
bool PreviewChoices(const ApplyOptions& options, NavPreview* after, bool* previewed, std::string* error);
