// Tarvel on a display that refuses to make its window, as a system out of resources would.
// Only the tests build it: it shows how a platform failure reaches the user on Windows, who
// has no console to read stderr in.
#include <memory>
#include <utility>

#include "form1/form1.h"
#include "runtime/backend.h"
#include "runtime/project.h"
#include "runtime/windows/dpi.h"
#include "runtime/windows/windows_backend.h"

namespace {

class RefusingBackend final : public rt::Backend {
 public:
  explicit RefusingBackend(std::unique_ptr<rt::Backend> inner) : inner_(std::move(inner)) {}

  rt::TimePoint Now() const override { return inner_->Now(); }
  rt::Duration FramePeriod() const override { return inner_->FramePeriod(); }
  float Scale() const override { return inner_->Scale(); }
  rt::WindowId OpenWindow(const rt::WindowSpec& /*window*/) override {
    throw rt::PlatformError("cannot make a window: refused for this test");
  }
  void CloseWindow(rt::WindowId window) override { inner_->CloseWindow(window); }
  bool CanPresent(rt::WindowId window) const override { return inner_->CanPresent(window); }
  rt::PixelBuffer Buffer(rt::WindowId window) override { return inner_->Buffer(window); }
  void Present(rt::WindowId window, std::span<const rt::PixelRect> damage) override {
    inner_->Present(window, damage);
  }
  void WaitUntil(rt::TimePoint deadline, std::vector<rt::WindowEvent>& events) override {
    inner_->WaitUntil(deadline, events);
  }
  void ShowFailure(const std::string& title, const std::string& message) override {
    inner_->ShowFailure(title, message);
  }

 private:
  std::unique_ptr<rt::Backend> inner_;
};

}  // namespace

int main() {
  rt::windows::BecomeDpiAware();
  RefusingBackend backend(rt::MakeWindowsBackend());
  return rt::RunProject(rt::MakeProject<form1::Form1>("Tarvel", form1::Form1Design()), backend);
}
