// Where the seam's implementations ask the test's fault check (see
// SetFaultCheck) before they touch the file system.
#pragma once

namespace platform {

// True when the call is to fail without doing anything.
bool FaultInjected(const char* call, const char* path);

}  // namespace platform
