// Writes each title's end action into its title set and recomputes the title
// sets' sector fields.
#pragma once

void PatchTitleSets();
// Titles whose last chapters share a program chain share its post command:
// false, after a message naming two of them, when their actions would write
// different ones. Runs before anything is patched.
bool CheckSharedChains();
// A title whose end cannot be changed (see disc/title_end.h) and whose action
// is not to leave it: false, after a message saying why. Runs before
// anything is patched.
bool CheckFixedEnds();
// Whether title j's (0-based) action writes its end: every kind but
// Unchanged.
bool ActionWritesEnd(int j);
// The first post command that title j (0-based) gets for its action; false
// when nothing would be written: the action leaves the command as it is, or
// the title is out of range or its program chain has no post command.
bool EndCommandFor(int j, unsigned char out[8]);
