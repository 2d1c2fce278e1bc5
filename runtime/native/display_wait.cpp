#include "runtime/native/display_wait.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <string>

#include "runtime/native/error_text.h"

namespace rt {

Woken WaitForDisplay(int display_fd, bool until_writable, const SignalWatch& signals,
                     TimePoint deadline) {
  timespec timeout{};
  timespec* limit = nullptr;
  if (deadline != kNoDeadline) {
    const Duration left =
        std::max(deadline - TimePoint(std::chrono::steady_clock::now()), Duration::zero());
    timeout.tv_sec = static_cast<time_t>(left.count() / 1'000'000'000);
    timeout.tv_nsec = static_cast<long>(left.count() % 1'000'000'000);
    limit = &timeout;
  }
  const short display_events = until_writable ? POLLIN | POLLOUT : POLLIN;
  pollfd fds[] = {{display_fd, display_events, 0}, {signals.fd(), POLLIN, 0}};
  if (ppoll(fds, 2, limit, nullptr) < 0 && errno != EINTR) {
    throw PlatformError("cannot wait for the display: " + ErrorText(errno));
  }
  Woken woken;
  woken.display = (fds[0].revents & (POLLIN | POLLERR | POLLHUP)) != 0;
  woken.signalled = (fds[1].revents & POLLIN) != 0 && signals.Take();
  return woken;
}

}  // namespace rt
