#include "store/SubscriptionImport.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unordered_set>

#include "Exception.h"
#include "FileDescriptor.h"
#include "store/GridStream.h"
#include "store/GroupFiles.h"

namespace vantle {

namespace {

constexpr std::string_view ExportTitle = "Vantle subscriptions";
constexpr std::string_view NewSuffix = ".importing";
constexpr std::string_view BackupSuffix = ".backup";

[[noreturn]] void RaiseCreate(const std::string& path, int error) {
  throw Exception("Cannot create file \"" + path + "\". " + std::strerror(error));
}

// A group the import writes: its feeds as they will be, and what stands on disk now.
struct TTarget {
  std::string Name;
  bool Existed = false;
  std::string OldBytes;
  std::vector<int> ColWidths{std::begin(StoreColWidths), std::end(StoreColWidths)};
  std::vector<TFeed> Feeds;
  std::unordered_set<std::string> Links;
  int Added = 0;
};

TTarget NewTarget(const std::string& name, bool existed) {
  TTarget target;
  target.Name = name;
  target.Existed = existed;
  return target;
}

TTarget* FindTarget(std::vector<TTarget>& targets, std::string_view name) {
  for (TTarget& target : targets)
    if (IsSameGroupName(target.Name, name)) return &target;
  return nullptr;
}

// Runs `read` over the bytes of the group file at `path`; a format error names the file.
template <typename TRead>
auto ReadGroupBytes(const std::string& path, const std::string& bytes, TRead read) {
  try {
    return read(bytes);
  } catch (const TGridStreamException& error) {
    throw Exception("the group file \"" + path + "\" cannot be read: " + error.Message());
  }
}

TTarget ExistingTarget(const std::string& dataDir, const std::string& name) {
  TTarget target = NewTarget(name, true);
  const std::string path = GroupFilePath(dataDir, name);
  target.OldBytes = ReadGroupFile(path);
  target.Feeds = ReadGroupBytes(path, target.OldBytes, DecodeGroup);
  target.ColWidths = ReadGroupBytes(path, target.OldBytes, ColWidthsOf);
  for (const TFeed& feed : target.Feeds) target.Links.insert(feed.Link);
  return target;
}

// The group the folder `name` goes to: one met before, an existing one, or a new one.
TTarget& TargetFor(std::vector<TTarget>& targets, const std::vector<std::string>& existing,
                   const std::string& dataDir, const std::string& name) {
  if (TTarget* met = FindTarget(targets, name)) return *met;
  for (const std::string& group : existing) {
    if (IsSameGroupName(group, name)) {
      return targets.emplace_back(ExistingTarget(dataDir, group));
    }
  }
  return targets.emplace_back(NewTarget(name, false));
}

// Writes every changed group beside its file, then renames all into place, or none.
class TCommit {
 public:
  TCommit(const std::string& dataDir, TImportFiles& files) : FDataDir(dataDir), FFiles(files) {}
  TCommit(const TCommit&) = delete;
  TCommit& operator=(const TCommit&) = delete;
  ~TCommit() {
    for (const std::string& path : FLeftovers) FFiles.Remove(path);
  }

  void Run(const std::vector<const TTarget*>& targets) {
    for (const TTarget* target : targets) Prepare(*target);
    if (targets.empty()) return;
    FFiles.Flush(FDataDir);
    std::size_t renamed = 0;
    try {
      for (; renamed < targets.size(); ++renamed) {
        const std::string path = GroupFilePath(FDataDir, targets[renamed]->Name);
        FFiles.Rename(path + std::string(NewSuffix), path);
      }
    } catch (...) {
      while (renamed > 0) PutBack(*targets[--renamed]);
      throw;
    }
    FFiles.Flush(FDataDir);
  }

 private:
  void Prepare(const TTarget& target) {
    const std::string path = GroupFilePath(FDataDir, target.Name);
    if (target.Existed) Keep(path + std::string(BackupSuffix), target.OldBytes);
    std::vector<TFeed> feeds = target.Feeds;
    SortFeedList(feeds);
    Keep(path + std::string(NewSuffix), EncodeGroup(feeds, target.ColWidths));
  }

  void Keep(const std::string& path, std::string_view bytes) {
    FLeftovers.push_back(path);
    FFiles.Write(path, bytes);
  }

  void PutBack(const TTarget& target) {
    const std::string path = GroupFilePath(FDataDir, target.Name);
    if (!target.Existed) {
      FFiles.Remove(path);
      return;
    }
    try {
      FFiles.Rename(path + std::string(BackupSuffix), path);
    } catch (...) {
      // The backup stays where it is rather than be removed with the leftovers.
      std::erase(FLeftovers, path + std::string(BackupSuffix));
    }
  }

  const std::string& FDataDir;
  TImportFiles& FFiles;
  std::vector<std::string> FLeftovers;
};

std::string WithoutPrefix(const std::string& message, const std::string& prefix) {
  return message.rfind(prefix, 0) == 0 ? message.substr(prefix.size()) : message;
}

}  // namespace

void TImportFiles::Write(const std::string& path, std::string_view bytes) {
  WriteFileInPlace(path, bytes);
}

// One flush of the file system for all the files, rather than one per file.
void TImportFiles::Flush(const std::string& directory) {
  const TFileDescriptor dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.Get() < 0 || ::syncfs(dir.Get()) != 0) RaiseCreate(directory, errno);
}

void TImportFiles::Rename(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) RaiseCreate(to, errno);
}

void TImportFiles::Remove(const std::string& path) {
  ::unlink(path.c_str());
}

TImportCounts ImportSubscriptions(const std::string& dataDir,
                                  const TOpmlSubscriptions& subscriptions, TImportFiles& files) {
  const std::vector<std::string> existing = ListGroups(dataDir);
  std::vector<TTarget> targets;
  TImportCounts counts;
  for (const TGroup& folder : subscriptions.Folders) {
    TTarget& target = TargetFor(targets, existing, dataDir, CleanGroupName(folder.Name));
    for (const TFeed& feed : folder.Feeds) {
      if (!target.Links.insert(feed.Link).second) {
        ++counts.FeedsSkipped;
        continue;
      }
      target.Feeds.push_back(feed);
      ++target.Added;
    }
  }
  std::vector<const TTarget*> changed;
  for (const TTarget& target : targets) {
    if (target.Existed && target.Added == 0) continue;
    if (target.Feeds.size() > static_cast<std::size_t>(GridMaxRows)) {
      throw Exception("the group \"" + target.Name + "\" would hold " +
                      std::to_string(target.Feeds.size()) + " feeds, more than the " +
                      std::to_string(GridMaxRows) + " a group file can hold");
    }
    counts.GroupsCreated += target.Existed ? 0 : 1;
    counts.FeedsAdded += target.Added;
    changed.push_back(&target);
  }
  TCommit(dataDir, files).Run(changed);
  return counts;
}

TImportCounts ImportOpmlFile(const std::string& dataDir, const std::string& path,
                             TImportFiles& files) {
  try {
    return ImportSubscriptions(dataDir, ReadOpml(ReadGroupFile(path), path), files);
  } catch (const Exception& error) {
    throw Exception("Cannot import \"" + path +
                    "\": " + WithoutPrefix(error.Message(), path + ": "));
  }
}

std::vector<TGroup> ReadAllGroups(const std::string& dataDir) {
  std::vector<TGroup> groups;
  for (const std::string& name : ListGroups(dataDir)) {
    const std::string path = GroupFilePath(dataDir, name);
    groups.push_back({name, ReadGroupBytes(path, ReadGroupFile(path), DecodeGroup)});
  }
  return groups;
}

std::string ExportOpml(const std::string& dataDir, std::time_t created) {
  return WriteOpml(ReadAllGroups(dataDir), ExportTitle, created);
}

}  // namespace vantle
