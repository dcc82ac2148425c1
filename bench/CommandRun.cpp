#include "CommandRun.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <sstream>

namespace bench {

namespace {

// CPU time of the children this process has waited for, and of theirs
// (ffmpeg under a shell script) that they waited for.
double childrenCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  const auto seconds = [](const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

CommandRun runCommand(const std::vector<std::string>& words, const std::string& errorFile) {
  CommandRun run;
  run.status = 127;
  if (words.empty()) return run;
  std::vector<char*> argv;
  for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return run;
  std::fflush(stdout);  // the child must not print what this process buffered
  const double cpuBefore = childrenCpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    close(pipeEnds[0]);
    if (dup2(pipeEnds[1], STDOUT_FILENO) < 0) _exit(126);
    if (std::freopen(errorFile.c_str(), "w", stderr) == nullptr) _exit(126);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(pipeEnds[1]);
  char buffer[4096];
  for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
    run.out.append(buffer, static_cast<size_t>(got));
  close(pipeEnds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  run.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // No other child runs meanwhile: the growth is this one's.
  run.cpuSeconds = childrenCpuSeconds() - cpuBefore;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string lastLine(const std::string& text) {
  std::istringstream lines(text);
  std::string last;
  for (std::string line; std::getline(lines, line);)
    if (!line.empty()) last = line;
  return last;
}

}  // namespace bench
