#include "windows/wine_session.h"

#include <cstdlib>
#include <fstream>

namespace display_test {

using namespace std::chrono_literals;

std::string FromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

WineSession WineSession::FromEnvironment() {
  WineSession session;
  const std::string path = display_test::FromEnvironment("TARVEL_WINE_SESSION");
  std::ifstream file(path);
  if (!file) {
    session.problem_ = "no Wine session at \"" + path + "\" (TARVEL_WINE_SESSION)";
    return session;
  }
  // Lines of the form: export NAME='value'
  std::string line;
  while (std::getline(file, line)) {
    constexpr std::string_view kExport = "export ";
    const auto eq = line.find('=');
    if (line.rfind(kExport, 0) != 0 || eq == std::string::npos) {
      continue;
    }
    const std::string name = line.substr(kExport.size(), eq - kExport.size());
    std::string value = line.substr(eq + 1);
    if (value.size() >= 2 && value.front() == '\'' && value.back() == '\'') {
      value = value.substr(1, value.size() - 2);
    }
    session.env_.push_back(name + "=" + value);
    if (name == "WINE") {
      session.wine_ = value;
    } else if (name == "DISPLAY") {
      session.display_ = value;
    }
  }
  if (!session.ok()) {
    session.problem_ = "the Wine session at \"" + path + "\" names no Wine or no display";
  }
  return session;
}

std::unique_ptr<Child> WineSession::Start(const std::vector<std::string>& argv,
                                          const std::string& err_path) const {
  std::vector<std::string> command{wine_};
  command.insert(command.end(), argv.begin(), argv.end());
  // The program sees the session's X server and nothing of Wayland.
  std::vector<std::string> env = env_;
  env.emplace_back("WAYLAND_DISPLAY");
  return std::make_unique<Child>(command, env, err_path);
}

std::optional<int> WineSession::Run(const std::vector<std::string>& argv) const {
  return Start(argv)->WaitFor(60s);
}

}  // namespace display_test
