#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <iostream>
#include <optional>

#include "Commands.h"
#include "DataDirAccess.h"
#include "Exception.h"
#include "store/DataDirLock.h"
#include "store/GroupFiles.h"
#include "store/SubscriptionImport.h"

namespace vantle::tool {

namespace {

struct TOpmlArgs {
  std::string Action;
  std::string File;
  std::string DataDir;
  std::string Out;
};

// The arguments of `opml export|import`, or nothing when they are not a valid use.
std::optional<TOpmlArgs> ParseOpmlArgs(const std::vector<std::string>& args) {
  if (args.empty()) return std::nullopt;
  TOpmlArgs parsed;
  parsed.Action = args[0];
  const bool import = parsed.Action == "import";
  if (!import && parsed.Action != "export") return std::nullopt;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--data" && hasValue) {
      parsed.DataDir = args[++i];
    } else if (arg == "--out" && hasValue && !import) {
      parsed.Out = args[++i];
    } else if (import && parsed.File.empty() && !arg.starts_with("--")) {
      parsed.File = arg;
    } else {
      return std::nullopt;
    }
  }
  if (import && parsed.File.empty()) return std::nullopt;
  return parsed;
}

int Export(const TOpmlArgs& args) {
  const std::string dataDir = ToolDataDir(args.DataDir);
  // A directory that is not there holds no groups to export: an empty OPML would pass for a
  // backup of nothing.
  if (!std::filesystem::is_directory(dataDir)) {
    throw Exception("Cannot open the data directory " + dataDir + ": no such directory");
  }
  const std::string opml = ExportOpml(dataDir, std::time(nullptr));
  if (args.Out.empty()) {
    std::cout << opml << std::flush;
  } else {
    WriteGroupFile(args.Out, opml);
  }
  return 0;
}

int Import(const TOpmlArgs& args) {
  const std::string dataDir = ToolDataDir(args.DataDir);
  std::filesystem::create_directories(dataDir);
  // Held for the whole import: no window starts between reading the groups and writing them.
  const TDataDirLock lock(dataDir, TLockRole::Tool);
  if (!lock.Held()) {
    std::cerr << LockRefusal(lock, dataDir, "imported");
    if (lock.HolderRole() == TLockRole::Window) {
      std::cerr << " Make the import from its window (Import subscriptions...).";
    }
    std::cerr << '\n';
    return 1;
  }
  TImportFiles files;
  const TImportCounts counts = ImportOpmlFile(dataDir, args.File, files);
  std::cout << "{\"groups_created\":" << counts.GroupsCreated
            << ",\"feeds_added\":" << counts.FeedsAdded
            << ",\"feeds_skipped\":" << counts.FeedsSkipped << "}\n";
  return 0;
}

}  // namespace

int RunOpml(const std::vector<std::string>& args) {
  const std::optional<TOpmlArgs> parsed = ParseOpmlArgs(args);
  if (!parsed) {
    std::cerr << UsageText();
    return 2;
  }
  return parsed->Action == "import" ? Import(*parsed) : Export(*parsed);
}

}  // namespace vantle::tool
