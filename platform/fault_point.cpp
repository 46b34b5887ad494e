#include "platform/fault_point.h"

#include <cstdio>

#include "platform/platform.h"

namespace platform {
namespace {

FaultCheck Check = nullptr;

}  // namespace

void SetFaultCheck(FaultCheck check) { Check = check; }

bool FaultInjected(const char* call, const char* path) { return Check != nullptr && Check(call, path); }

std::size_t WriteBytes(const void* bytes, std::size_t size, std::FILE* file) {
  if (FaultInjected("write", nullptr)) return 0;
  return std::fwrite(bytes, 1, size, file);
}

bool CloseFile(std::FILE* file) {
  bool injected = FaultInjected("close", nullptr);
  return (std::fclose(file) == 0) && !injected;
}

}  // namespace platform
