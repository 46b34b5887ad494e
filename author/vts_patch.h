// Writes each title's end action into its title set and recomputes the title
// sets' sector fields.
#pragma once

void PatchTitleSets();
// The first post command that title j (0-based) gets for its action; false
// when nothing would be written: the action leaves the command as it is, or
// the title is out of range or its program chain has no post command.
bool EndCommandFor(int j, unsigned char out[8]);
