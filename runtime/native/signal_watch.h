// The process's requests to end (SIGTERM, SIGINT) as a file descriptor to wait on, so a backend
// hears them in the same wait as its display and ends the program normally.
#pragma once

#include <csignal>

namespace rt {

class SignalWatch {
 public:
  // Blocks SIGTERM and SIGINT (for the one thread there is) and opens a descriptor that
  // becomes readable when one is pending. Throws PlatformError if that cannot be done.
  SignalWatch();
  // Closes the descriptor and restores the signal mask it found.
  ~SignalWatch();
  SignalWatch(const SignalWatch&) = delete;
  SignalWatch& operator=(const SignalWatch&) = delete;

  int fd() const { return fd_; }
  // Takes every pending signal; true if there was any.
  bool Take() const;

 private:
  int fd_ = -1;
  sigset_t old_mask_{};
};

}  // namespace rt
