// Writes each title's end action into its title set and recomputes the title
// sets' sector fields.
#pragma once

void PatchTitleSets();
// Titles whose ends are one command (their last chapters share a chain)
// and whose actions would write different ones: disagree[j] for each, and
// the first of them, or -1 when there are none.
int FindDisagreeingEnds(bool disagree[]);
// Such titles each get their end behind a test of their number, except
// where a cell command is the end: false then, after a message naming two
// of them. Runs before anything is patched.
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
