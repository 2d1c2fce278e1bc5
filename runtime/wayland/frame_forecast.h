// When a compositor's next frame callback will come, learnt from when its callbacks came.
//
// A compositor paces an animating window with frame callbacks, one per repaint. Watching the
// connection for the callback also wakes the client for whatever comes before it, such as the
// release of the buffer shown before, which weston sends just after each commit: two wake-ups
// a frame. Knowing the compositor's period and phase, the client can instead sleep until just
// after the callback is due and read everything at once.
//
// The forecast learns from sightings: a callback that came while the connection was watched
// came just then, and gives the phase exactly; one found on looking gives only an upper bound.
// The period is measured between exact sightings. Misses (a callback later than forecast) are
// watched for, so they give an exact sighting at once; drift the other way would go unseen, so
// every so often the forecast looks early on purpose and watches from there.
#pragma once

#include <optional>

#include "runtime/clock.h"

namespace rt::wayland {

class FrameForecast {
 public:
  // `nominal_period`: what the output says its refresh is, the first guess.
  explicit FrameForecast(Duration nominal_period);

  // A frame was committed; its callback is awaited from now on.
  void Committed() { awaiting_ = true; }
  // The awaited callback was read at `now`. `watched`: the connection was being watched, so it
  // came just then; otherwise it came some time before `now`.
  void CalledBack(TimePoint now, bool watched);

  // When to read the connection for the awaited callback, not watching it until then: just
  // after the callback is due, by a margin for the jitter seen (or, now and then, a little before).
  // Nothing when there is no forecast to go by: no callback awaited, no sighting yet, or the
  // callback is later than the forecast (the window may be hidden); the connection is then watched.
  std::optional<TimePoint> LookAt(TimePoint now) const;

  // When the awaited callback is read as usual: just after it is due. A frame for a callback
  // read sooner (on an early look) waits until then, so frames keep a steady period. Nothing
  // without a forecast.
  std::optional<TimePoint> SteadyReadAt() const;

  // The compositor's period as learnt so far.
  Duration Period() const { return period_; }

 private:
  // The awaited callback's forecast time.
  TimePoint Due() const;
  // How long after the due time to read: room for the jitter seen lately.
  Duration Margin() const;
  // Learns from `interval` between exact sightings, `callbacks` apart; false when the period it
  // gives is too far off the one believed to be taken at once.
  bool LearnPeriod(Duration interval, int callbacks);

  Duration period_;
  std::optional<TimePoint> anchor_;  // when a callback was last seen to come
  int since_anchor_ = 0;             // callbacks read after the anchor's
  bool awaiting_ = false;
  bool watch_next_ = false;  // the next callback is watched for from the commit on
  int stretch_ = 1;          // callbacks from an anchor to the early look that makes the next
  int measured_ = 0;         // callbacks the period is the mean of, as far as remembered
  Duration jitter_room_;     // how far sightings were off the forecast lately, doubled
  Duration outlier_{};       // a period far from the one believed, seen last
  int outliers_seen_ = 0;    // how many times in a row it was seen
};

}  // namespace rt::wayland
