#include "RunTool.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace vantle::tool {

TRun RunTool(const std::vector<std::string>& args, const TEnvironment& environment,
             const TWatch& watch) {
  int out[2], err[2];
  if (pipe(out) != 0 || pipe(err) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], 1);
    dup2(err[1], 2);
    close(out[0]);
    close(err[0]);
    for (const auto& [name, value] : environment) {
      if (value)
        setenv(name.c_str(), value->c_str(), 1);
      else
        unsetenv(name.c_str());
    }
    std::vector<char*> argv{const_cast<char*>(VANTLE_FEED_TOOL)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(VANTLE_FEED_TOOL, argv.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  TRun run;
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  int open = 2;
  while (open > 0 && std::chrono::steady_clock::now() < deadline) {
    if (watch) watch(pid, run);
    if (poll(fds, 2, 200) <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
      char buffer[4096];
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n <= 0) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      } else {
        (i == 0 ? run.Out : run.Err).append(buffer, static_cast<size_t>(n));
      }
    }
  }
  if (open > 0) {
    ADD_FAILURE() << "vantle-feed did not finish in time";
    kill(pid, SIGKILL);
    for (auto& fd : fds)
      if (fd.fd >= 0) close(fd.fd);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace vantle::tool
