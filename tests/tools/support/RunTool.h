#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vantle::tool {

// What a run of vantle-feed gave: its exit status and its two output streams.
struct TRun {
  int Status = -1;
  std::string Out, Err;
};

// Environment variables to set (a value) or remove (no value) for one run.
using TEnvironment = std::vector<std::pair<std::string, std::optional<std::string>>>;

// Called while vantle-feed runs, at least every 200 ms, with its process and the output so far.
using TWatch = std::function<void(pid_t pid, const TRun& sofar)>;

// Runs vantle-feed with `args` and `environment`, killing it if it outlives a generous bound.
TRun RunTool(const std::vector<std::string>& args, const TEnvironment& environment = {},
             const TWatch& watch = {});

}  // namespace vantle::tool
