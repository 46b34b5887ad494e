// Writes each title's end action into its title set and recomputes the title
// sets' sector fields.
#pragma once

void PatchTitleSets();
// The first post command that title j (0-based) gets for its action; false
// when the action leaves the title's command as it is.
bool EndCommandFor(int j, unsigned char out[8]);
