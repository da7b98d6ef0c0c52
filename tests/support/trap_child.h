// Runs code in a forked child with IEEE traps enabled, so a trap taken (SIGFPE)
// ends only the child; the exit status tells which exception it was.
#pragma once

#include <cfenv>
#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

// The child exits with 100 + si_code of the SIGFPE it takes, 0 when none arrives.
inline constexpr int no_trap_status = 0;
inline constexpr int trap_status_base = 100;

inline void report_trap(int, siginfo_t* info, void*) { _exit(trap_status_base + info->si_code); }

// Runs `body` in a child with `traps` enabled; returns the child's exit status, -1 if it died otherwise.
template <typename Body>
int exit_status_in_child(int traps, Body body) {
  std::fflush(nullptr);
  pid_t child = fork();
  if (child == 0) {
    struct sigaction action {};
    action.sa_sigaction = report_trap;
    action.sa_flags = SA_SIGINFO;
    sigaction(SIGFPE, &action, nullptr);
    std::feclearexcept(FE_ALL_EXCEPT);
    if (traps != 0 && feenableexcept(traps) == -1) _exit(1);
    body();
    _exit(no_trap_status);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
