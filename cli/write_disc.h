// Writing the disc in memory into a folder from the command line.
#pragma once

// Executes into `folder` (the engine's form) and says where the backup of the
// originals went when this run made it; kExitOk, or the refusal's exit status.
int WriteDisc(const char* folder);
