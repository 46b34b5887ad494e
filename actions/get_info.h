// The get-info sequence shared by both front ends.
#pragma once

#include "disc/read_edit_folder.h"

// Takes the options first (they survive a failed read), reads the folder,
// resets the row page unless the folder text itself was rejected, and on
// success prepares the menu table and derives every title's action. A null
// text is a folder the front end could not name (it has said why): rejected
// as any other, so no disc of an earlier read stays loaded.
ReadOutcome GetInfo(const char* editFolderText, int noMenu, int randomPlay);
