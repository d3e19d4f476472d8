#include "testing/finder_process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <thread>

#include "testing/json_value.h"
#include "testing/test_support.h"

extern char** environ;

namespace tessvik::testing {

// Generous: only a hung program ever waits this long.
constexpr std::chrono::seconds kTimeout{10};

FinderProcess::FinderProcess(const std::vector<std::string>& args) {
  // A program that dies while the test writes to it must fail that write, not
  // kill the test. (tessvik-finder ignores SIGPIPE itself.)
  std::signal(SIGPIPE, SIG_IGN);
  int in[2];
  int out[2];
  if (kFinderPath == nullptr || ::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) {
    fail("cannot start");
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  std::vector<char*> argv = {const_cast<char*>(kFinderPath)};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  if (::posix_spawn(&pid_, kFinderPath, &actions, nullptr, argv.data(), environ) != 0) {
    pid_ = -1;
    fail("cannot start");
  }
  posix_spawn_file_actions_destroy(&actions);
  ::close(in[0]);
  ::close(out[1]);
  input_ = in[1];
  output_ = out[0];
}

FinderProcess::~FinderProcess() {
  closeInput();
  ::close(output_);
  if (pid_ > 0 && !status_) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
}

void FinderProcess::fail(std::string_view why) {
  if (!failed_) ADD_FAILURE() << "tessvik-finder: " << why;
  failed_ = true;
}

void FinderProcess::write(std::string_view bytes) {
  // Blocking, and no signal handler to interrupt it: all or a failure.
  if (!failed_ && ::write(input_, bytes.data(), bytes.size()) != std::ssize(bytes)) {
    fail("no longer reads its input");
  }
}

void FinderProcess::closeInput() {
  if (input_ >= 0) ::close(input_);
  input_ = -1;
}

std::optional<std::string> FinderProcess::readLine() {
  const auto deadline = std::chrono::steady_clock::now() + kTimeout;
  for (std::size_t newline; (newline = buffered_.find('\n')) == std::string::npos;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd readable{output_, POLLIN, 0};
    const int ready = left.count() > 0 ? ::poll(&readable, 1, static_cast<int>(left.count())) : 0;
    if (ready == 0) return std::nullopt;
    if (ready < 0) continue;  // interrupted
    char chunk[4096];
    const ssize_t n = ::read(output_, chunk, sizeof chunk);
    if (n == 0 || (n < 0 && errno != EINTR)) return std::nullopt;
    if (n > 0) buffered_.append(chunk, static_cast<std::size_t>(n));
  }
  std::string line = buffered_.substr(0, buffered_.find('\n'));
  buffered_.erase(0, line.size() + 1);
  return line;
}

std::string FinderProcess::next() {
  if (failed_) return "";
  const std::optional<std::string> line = readLine();
  if (!line) fail("no output line in time, or none more");
  if (line && !jsonMembers(*line)) fail("not a JSON object: " + *line);
  return failed_ ? "" : *line;
}

std::vector<std::string> FinderProcess::collect() {
  std::vector<std::string> lines;
  while (!failed_ && (lines.empty() || !jsonMembers(lines.back())->contains("reply"))) {
    lines.push_back(next());
    if (lines.back() == R"({"event":"timer"})") lines.pop_back();
  }
  return lines;
}

std::optional<int> FinderProcess::wait() {
  const auto deadline = std::chrono::steady_clock::now() + kTimeout;
  while (pid_ > 0 && !status_) {
    int raw = 0;
    if (::waitpid(pid_, &raw, WNOHANG) == pid_) {
      status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    } else if (std::chrono::steady_clock::now() > deadline) {
      fail("still runs");
      break;
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  return status_;
}

}  // namespace tessvik::testing
