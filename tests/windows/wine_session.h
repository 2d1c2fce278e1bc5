// The Wine session the Windows display tests share (wine-session.sh made it before them): its
// X server, and Windows programs run in its Wine prefix.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "display/harness.h"

namespace display_test {

class WineSession {
 public:
  // The session named by TARVEL_WINE_SESSION; ok() is false when there is none.
  static WineSession FromEnvironment();

  bool ok() const { return !wine_.empty() && !display_.empty(); }
  const std::string& display() const { return display_; }
  // What went wrong reading it, for a failing test's message.
  const std::string& problem() const { return problem_; }

  // Starts a Windows program (and its arguments) under Wine, stderr to `err_path`.
  std::unique_ptr<Child> Start(const std::vector<std::string>& argv,
                               const std::string& err_path = "/dev/null") const;
  // Runs a Windows command to its end: its exit status, or nothing if it did not end in time.
  std::optional<int> Run(const std::vector<std::string>& argv) const;

 private:
  std::string wine_;
  std::string display_;
  std::vector<std::string> env_;
  std::string problem_;
};

// An environment variable the test was started with ("" when unset).
std::string FromEnvironment(const char* name);

}  // namespace display_test
