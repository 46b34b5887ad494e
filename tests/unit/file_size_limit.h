// A disc that fills up half-way: `body` runs in a forked child whose files
// cannot grow past `bytes`. As root, this is how a test gets a genuine
// failed write.
#pragma once

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// True when the child's body returned true. The child shares nothing back
// but that answer, so the body checks what it needs itself.
template <typename Body>
bool RunsWithFileSizeLimit(rlim_t bytes, Body body) {
  pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);  // the write fails instead of the process dying
    struct rlimit limit = {bytes, bytes};
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(body() ? 0 : 1);
  }
  int status = 0;
  return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
