// The program in the browser's page. The page must never block, so the loop is turned inside out:
// the browser calls the program for each animation frame (the display's pace: 60, 120 or 144
// a second) and the program steps its loop once and returns. A hidden page gets no frames;
// then a timer wakes it when the loop next wants to (the browser allows about one a second),
// as does the page being shown again, so the loop's hidden-window handling applies here as it
// does on the native displays.
#include <emscripten/eventloop.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

#include "runtime/error_box.h"
#include "runtime/event_loop.h"
#include "runtime/platform/page_session.h"
#include "runtime/project.h"
#include "runtime/random.h"
#include "runtime/text.h"
#include "runtime/text_engine.h"
#include "runtime/web/page_js.h"
#include "runtime/web/web_backend.h"

namespace rt {

namespace {

// Frames measured before the first tick, to learn the display's pace.
constexpr int kFramesToMeasure = 5;

bool PageHidden() {
  EmscriptenVisibilityChangeEvent status{};
  return emscripten_get_visibility_status(&status) == EMSCRIPTEN_RESULT_SUCCESS &&
         status.hidden != 0;
}

// One run of the program in the page. It owns itself once started: the browser's callbacks
// hold it, and it deletes itself when the program has ended.
class Session {
 public:
  explicit Session(const Project& project)
      : name_(project.name),
        text_(backend_.Scale()),
        form_(project.startup_form, text_, backend_, random_,
              kTwipsPerPixelAt96Dpi / backend_.Scale()),
        code_(project.create_code(form_, events_)),
        window_(OpenFormWindow(project)),
        loop_(project.name, backend_, form_, events_, text_, window_) {
    loop_.SetErrorReporter([this](const std::string& handler, const std::string& what) {
      error_ = PrintRunTimeError(name_, handler, what);
    });
  }
  ~Session() {
    emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, nullptr);
    if (frame_request_ != 0) {
      emscripten_cancel_animation_frame(frame_request_);
    }
    if (timeout_ != 0) {
      emscripten_clear_timeout(timeout_);
    }
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Hands the session to the browser: from here on its callbacks drive it.
  static void Begin(std::unique_ptr<Session> session) {
    Session* self = session.release();
    emscripten_set_visibilitychange_callback(self, EM_FALSE, &Session::OnVisibility);
    if (PageHidden()) {
      self->Run([self] { return self->Start(); });
    } else {
      self->RequestFrame();
    }
  }

 private:
  enum class State { kMeasuring, kRunning, kBox, kEnded };

  WindowId OpenFormWindow(const Project& project) {
    return backend_.OpenWindow(StartupWindow(project, form_));
  }

  static EM_BOOL OnFrame(double time, void* data) {
    auto* self = static_cast<Session*>(data);
    self->frame_request_ = 0;
    self->Run([self, time] { return self->Frame(time); });
    return EM_FALSE;
  }
  static void OnTimeout(void* data) {
    auto* self = static_cast<Session*>(data);
    self->timeout_ = 0;
    self->Run([self] { return self->Deliver(); });
  }
  static EM_BOOL OnVisibility(int /*type*/, const EmscriptenVisibilityChangeEvent* event,
                              void* data) {
    auto* self = static_cast<Session*>(data);
    self->backend_.VisibilityChanged(event->hidden == 0);
    self->Run(
        [self] { return self->state_ == State::kMeasuring ? self->Start() : self->Deliver(); });
    return EM_FALSE;
  }

  // Runs one step; ends the session (deleting it) once the program has ended.
  template <class StepFunction>
  void Run(StepFunction step) {
    std::optional<int> status;
    try {
      status = step();
    } catch (const PlatformError& error) {
      std::fprintf(stderr, "%s: %s\n", name_.c_str(), error.what());
      tarvel_page_ended(2, error.what());
      delete this;
      return;
    }
    if (status) {
      tarvel_page_ended(*status, nullptr);
      delete this;
      return;
    }
    Arm();
  }

  std::optional<int> Frame(double time) {
    if (state_ == State::kMeasuring) {
      frame_times_.push_back(time);
      if (static_cast<int>(frame_times_.size()) <= kFramesToMeasure) {
        return std::nullopt;
      }
      std::vector<double> periods;
      for (std::size_t i = 1; i < frame_times_.size(); ++i) {
        periods.push_back(frame_times_[i] - frame_times_[i - 1]);
      }
      const auto middle = periods.begin() + static_cast<std::ptrdiff_t>(periods.size() / 2);
      std::nth_element(periods.begin(), middle, periods.end());
      const double median = *middle;
      if (median > 0) {
        backend_.FramePeriodIs(Duration(static_cast<Duration::rep>(median * 1e6)));
      }
      return Start();
    }
    backend_.FrameArrived(time);
    const std::optional<int> status = Deliver();
    backend_.FrameDone();
    return status;
  }

  std::optional<int> Start() {
    state_ = State::kRunning;
    return Ended(loop_.Start());
  }

  // Hands what has arrived to the loop, or to the error box once it is up.
  std::optional<int> Deliver() {
    arrived_.clear();
    backend_.WaitUntil(backend_.Now(), arrived_);
    if (state_ == State::kBox) {
      if (box_->Step(arrived_)) {
        box_.reset();
        return 1;
      }
      return std::nullopt;
    }
    return Ended(loop_.Step(arrived_));
  }

  // The program's status once it has ended; after a run-time error, its box comes first.
  std::optional<int> Ended(std::optional<int> status) {
    if (!status || error_.empty()) {
      return status;
    }
    state_ = State::kBox;
    box_ = std::make_unique<ErrorBox>(backend_, text_, window_, name_, error_);
    error_.clear();
    box_->Step({});
    return std::nullopt;
  }

  // Sets up the next wake-ups: the next animation frame, and while the page is hidden (when
  // there are none) a timer for when the loop next wants to run.
  void Arm() {
    RequestFrame();
    if (state_ != State::kRunning) {
      return;
    }
    const TimePoint wake = loop_.NextWake();
    if (timeout_ != 0) {
      emscripten_clear_timeout(timeout_);
      timeout_ = 0;
    }
    if (PageHidden()) {
      const double milliseconds =
          std::chrono::duration<double, std::milli>(wake - backend_.Now()).count();
      timeout_ = emscripten_set_timeout(&Session::OnTimeout, std::max(0.0, milliseconds), this);
    }
  }

  void RequestFrame() {
    if (frame_request_ == 0) {
      frame_request_ = emscripten_request_animation_frame(&Session::OnFrame, this);
    }
  }

  std::string name_;
  web::WebBackend backend_;
  TextEngine text_;
  Random random_;
  Form form_;
  Events events_;
  std::unique_ptr<FormCode> code_;
  WindowId window_;
  EventLoop loop_;
  State state_ = State::kMeasuring;
  std::vector<double> frame_times_;
  std::vector<WindowEvent> arrived_;
  std::string error_;
  std::unique_ptr<ErrorBox> box_;
  long frame_request_ = 0;
  long timeout_ = 0;
};

}  // namespace

void BeginPageSession(const Project& project) {
  Session::Begin(std::make_unique<Session>(project));
}

}  // namespace rt
