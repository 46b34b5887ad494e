// Before execute writes the information files it holds (read earlier, or
// loaded from a project), each must be what the folder holds outside what
// execute itself writes: otherwise writing it would put bytes on the disc
// that no execute of this disc would write.
#pragma once

// True when each stored image equals, outside the written parts, the
// folder's IFO, its BUP, or the IFO in the disc's backup. Otherwise shows a
// message naming the first file that differs and returns false.
bool StoredImagesFitFolder(const char* folder);
