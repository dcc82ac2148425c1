#include "support/Process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "support/TempFolder.h"

namespace stereolint::test {

namespace {

std::string captureFile(const char* pattern, int& fd) {
  std::string path = pattern;
  fd = mkstemp(path.data());
  if (fd < 0) throw std::runtime_error("cannot create a capture file");
  return path;
}

}  // namespace

BackgroundProcess::BackgroundProcess(const std::string& program,
                                     const std::vector<std::string>& arguments,
                                     const ProcessOptions& options) {
  int outFd = -1, errFd = -1;
  outPath = captureFile("/tmp/stereolint-out-XXXXXX", outFd);
  errPath = captureFile("/tmp/stereolint-err-XXXXXX", errFd);

  std::vector<std::string> words{program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  child = fork();
  if (child == 0) {
    dup2(outFd, STDOUT_FILENO);
    dup2(errFd, STDERR_FILENO);
    const int devNull = open("/dev/null", O_RDONLY);
    dup2(devNull, STDIN_FILENO);
    if (!options.workingFolder.empty() && chdir(options.workingFolder.c_str()) != 0) _exit(126);
    for (const auto& name : options.unsetEnv) unsetenv(name.c_str());
    for (const auto& [name, value] : options.setEnv) setenv(name.c_str(), value.c_str(), 1);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(outFd);
  close(errFd);
}

ProcessResult BackgroundProcess::kill() {
  if (child > 0 && !reaped) ::kill(child, SIGKILL);
  return wait();
}

BackgroundProcess::~BackgroundProcess() {
  if (child > 0 && !reaped) {
    ::kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
  }
  std::remove(outPath.c_str());
  std::remove(errPath.c_str());
}

bool BackgroundProcess::running() {
  if (reaped) return false;
  reaped = waitpid(child, &status, WNOHANG) == child;
  return !reaped;
}

ProcessResult BackgroundProcess::wait() {
  if (!reaped) {
    waitpid(child, &status, 0);
    reaped = true;
  }
  ProcessResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = readTextFile(outPath);
  result.err = readTextFile(errPath);
  return result;
}

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const ProcessOptions& options) {
  return BackgroundProcess(program, arguments, options).wait();
}

}  // namespace stereolint::test
