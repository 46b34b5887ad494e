// The disc as execute would leave it, looked at before anything is written:
// its playback preview, what a user is warned of, and the chosen ends that
// execute refuses. Both front ends ask these, so they never disagree.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "disc/nav_vm.h"

// Patches the images in memory as execute would, calls `look` (with the
// bytes as read, IfoStore's first bytes onwards) and puts the images back.
// False when the patch refused; its message is shown unless `quiet`.
bool WithPatchedImages(bool quiet, const std::function<void(const uint8_t* asRead)>& look);

// While `look` runs: where information file n lay in IfoStore as read, and
// its size (a grown command table moves the images behind it).
int32_t OffsetAsRead(int n);
int32_t SizeAsRead(int n);
// What the last patch in memory grew, one line a file ("VTS_01_0.IFO grows
// by 1 sector"); empty before any.
const std::vector<std::string>& PatchGrowth();

// The playback preview of the disc as execute would leave it (menus in the
// first language unit); false, quietly, when the patch would refuse.
bool PreviewPatched(NavPreview* out);

// PlaybackWarnings of the disc as execute would leave it.
std::vector<std::string> PatchWarnings();

// True when players can follow every title's chosen end. Otherwise shows
// which title's is refused, and why, and returns false: a jump to a title
// the disc lacks, or a menu call that ends where players abort (unless the
// title already ends with that call as read).
bool CheckChosenEnds();
