// Rewrites VmgImage: the prepared menu table, sector fields, title set start
// sectors, the dispatcher's commands and, for the options, First Play.
#pragma once

// Refuses (message, false, image untouched) when the grown image would not
// fit VmgImage; otherwise patches and returns true.
bool PatchVideoManager();
// The size VmgImage would have after the patch, without changing anything.
long long PatchedVmgSize();
