#include "runtime/native/signal_watch.h"

#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "runtime/backend.h"
#include "runtime/native/error_text.h"

namespace rt {

SignalWatch::SignalWatch() {
  sigset_t mask;
  sigemptyset(&mask);
  sigaddset(&mask, SIGTERM);
  sigaddset(&mask, SIGINT);
  if (pthread_sigmask(SIG_BLOCK, &mask, &old_mask_) != 0) {
    throw PlatformError(std::string("cannot watch for signals: ") + ErrorText(errno));
  }
  fd_ = signalfd(-1, &mask, SFD_NONBLOCK | SFD_CLOEXEC);
  if (fd_ < 0) {
    const int error = errno;
    pthread_sigmask(SIG_SETMASK, &old_mask_, nullptr);
    throw PlatformError(std::string("cannot watch for signals: ") + ErrorText(error));
  }
}

SignalWatch::~SignalWatch() {
  close(fd_);
  pthread_sigmask(SIG_SETMASK, &old_mask_, nullptr);
}

bool SignalWatch::Take() const {
  bool any = false;
  signalfd_siginfo info{};
  while (read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
    any = true;
  }
  return any;
}

}  // namespace rt
