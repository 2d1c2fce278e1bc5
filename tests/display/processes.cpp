// The display tests' child processes (a display server, the program), stopped and reaped with
// their owner, and the files they leave behind (stderr captures, logs).
#include "display/harness.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace display_test {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string TempPath(const std::string& what) {
  static std::atomic<int> serial{0};
  std::string name = "tarvel-test-";
  name += std::to_string(getpid());
  name += "-";
  name += std::to_string(serial++);
  name += "-";
  name += what;
  return (fs::temp_directory_path() / name).string();
}

Child::Child(const std::vector<std::string>& argv, const std::vector<std::string>& env,
             const std::string& err_path, int keep_fd) {
  pid_ = fork();
  if (pid_ != 0) {
    return;
  }
  // Between fork and exec the child has this one thread, so changing its environment is safe.
  for (const std::string& change : env) {
    const auto eq = change.find('=');
    if (eq == std::string::npos) {
      unsetenv(change.c_str());  // NOLINT(concurrency-mt-unsafe)
    } else {
      setenv(change.substr(0, eq).c_str(),  // NOLINT(concurrency-mt-unsafe)
             change.substr(eq + 1).c_str(), 1);
    }
  }
  const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  dup2(err, 2);
  const int null = open("/dev/null", O_RDWR);
  dup2(null, 0);
  dup2(null, 1);
  for (int fd = 3; fd < 1024; ++fd) {
    if (fd != keep_fd) {
      close(fd);
    }
  }
  // The test runner's signal dispositions are not the program's business.
  signal(SIGINT, SIG_DFL);
  signal(SIGTERM, SIG_DFL);
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& arg : argv) {
    args.push_back(const_cast<char*>(arg.c_str()));
  }
  args.push_back(nullptr);
  execvp(args[0], args.data());
  _exit(127);
}

Child::~Child() {
  if (pid_ > 0 && !status_) {
    // Politely first, so an X server removes its lock file and socket.
    kill(pid_, SIGTERM);
    if (!WaitFor(3s)) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
}

std::optional<int> Child::WaitFor(std::chrono::milliseconds limit) {
  const auto end = Clock::now() + limit;
  while (!status_ && pid_ > 0) {
    int raw = 0;
    if (waitpid(pid_, &raw, WNOHANG) == pid_) {
      status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -WTERMSIG(raw);
    } else if (Clock::now() >= end) {
      break;
    } else {
      std::this_thread::sleep_for(5ms);
    }
  }
  return status_;
}

}  // namespace display_test
