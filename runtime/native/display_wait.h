// The one wait of a native backend: its display connection's descriptor and the process's
// requests to end, until a deadline; no busy polling, no second thread.
#pragma once

#include "runtime/backend.h"
#include "runtime/native/signal_watch.h"

namespace rt {

// While a form animates, its backend may leave the display connection unwatched until the next
// frame's deadline and read everything that came meanwhile then: a frame costs one wake-up, not
// one more for each message (the server's word that it has read a buffer, say). A deadline
// further off than this is not a frame's, and the connection is watched: nothing waits longer.
inline constexpr Duration kLongestUnwatchedWait = std::chrono::milliseconds(50);

struct Woken {
  bool display = false;    // the connection has something to read (or has failed)
  bool signalled = false;  // SIGTERM or SIGINT came, and was taken
};

// Waits until `display_fd` is readable (or, with `until_writable`, also writable), a signal is
// pending on `signals`, or `deadline` (kNoDeadline: no limit) has passed on the steady clock,
// to the nanosecond. A `display_fd` of -1 leaves the display out: signals and the deadline
// only. Throws PlatformError when the wait itself fails.
Woken WaitForDisplay(int display_fd, bool until_writable, const SignalWatch& signals,
                     TimePoint deadline);

}  // namespace rt
