// `apply --dry-run`: patch in memory, show what would change, put the
// images back as they were read.
#pragma once

// False when the patch itself refused (its message already shown).
bool PrintDryRun();
