#include "testing/finder_process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>

#include "testing/json_value.h"

namespace tessvik::testing {

FinderProcess::FinderProcess(const std::vector<std::string>& args) {
  // A program that dies while the test writes to it must fail that write, not
  // kill the test. (tessvik-finder ignores SIGPIPE itself.)
  std::signal(SIGPIPE, SIG_IGN);
  int in[2];
  int out[2];
  if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) std::abort();
  std::vector<char*> argv = {const_cast<char*>(kFinderPath)};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_ = ::fork();
  if (pid_ == 0) {
    // Dies with the test process: a test that hangs or crashes leaves no
    // program behind (its timer would keep it running).
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    ::dup2(in[0], STDIN_FILENO);
    ::dup2(out[1], STDOUT_FILENO);
    ::execv(kFinderPath, argv.data());
    ::_exit(127);
  }
  ::close(in[0]);
  ::close(out[1]);
  input_ = in[1];
  output_ = ::fdopen(out[0], "r");
}

FinderProcess::~FinderProcess() {
  closeInput();
  std::fclose(output_);
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
}

void FinderProcess::write(std::string_view bytes) {
  EXPECT_EQ(::write(input_, bytes.data(), bytes.size()), std::ssize(bytes))
      << "tessvik-finder no longer reads its input";
}

void FinderProcess::closeInput() {
  if (input_ >= 0) ::close(input_);
  input_ = -1;
}

std::string FinderProcess::readLine() {
  std::string text;
  for (int c; (c = std::fgetc(output_)) != EOF && c != '\n';) text += static_cast<char>(c);
  return text;
}

std::vector<std::string> FinderProcess::collect() {
  std::vector<std::string> lines;
  for (std::optional<std::map<std::string, std::string>> members;
       !members || !members->contains("reply");) {
    const std::string line = readLine();
    members = jsonMembers(line);
    if (!members) {
      ADD_FAILURE() << "tessvik-finder: not a JSON object, or no reply: " << line;
      break;
    }
    if (line != R"({"event":"timer"})") lines.push_back(line);
  }
  return lines;
}

int FinderProcess::wait() {
  int raw = 0;
  if (pid_ <= 0 || ::waitpid(pid_, &raw, 0) != pid_) return -1;
  pid_ = -1;
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
}

}  // namespace tessvik::testing
