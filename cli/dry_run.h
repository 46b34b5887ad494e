// `apply --dry-run`: patch in memory, show what would change, put the
// images back as they were read.
#pragma once

#include <cstdint>
#include <functional>

#include "disc/nav_vm.h"

// False when the patch itself refused (its message already shown).
bool PrintDryRun();

// Patches the images in memory as execute would, calls `look` (with the
// bytes as read, IfoStore's first bytes onwards) and puts the images back.
// False when the patch refused; its message is shown unless `quiet`.
bool WithPatchedImages(bool quiet, const std::function<void(const uint8_t* asRead)>& look);

// The playback preview of the disc as execute would leave it (menus in the
// first language unit); false, quietly, when the patch would refuse.
bool PreviewPatched(NavPreview* out);
