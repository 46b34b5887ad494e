// Rewrites VmgImage: the prepared menu table, sector fields, title set start
// sectors, the dispatcher's commands and, for the options, First Play.
#pragma once

// Starts again from VIDEO_TS.IFO as read (IfoStore), so a repeated call
// gives the same bytes. Refuses (message, false, image untouched) when the
// grown image would not fit VmgImage, or when VIDEO_TS.IFO or the prepared
// menu table does not hold together; otherwise patches and returns true.
bool PatchVideoManager();
// The same refusals, without patching: execute asks before it touches the
// folder, so a refused image leaves the files and their attributes alone.
// The disc's own First Play comes from the backup beside editFolder, the
// folder about to be written (not the one the disc was read from).
bool CheckVideoManagerPatch(const char* editFolder);
// The size VmgImage would have after the patch, without changing anything;
// -1 when the patch would refuse the image for its structure.
long long PatchedVmgSize();
