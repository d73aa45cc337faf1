#pragma once

#include <string>
#include <string_view>

#include "store/GroupNames.h"
#include "store/Opml.h"

namespace vantle {

// What an import did.
struct TImportCounts {
  int GroupsCreated = 0;
  int FeedsAdded = 0;
  int FeedsSkipped = 0;
  bool operator==(const TImportCounts&) const = default;
};

// The file operations an import makes, so that a test can make one of them fail.
class TImportFiles {
 public:
  virtual ~TImportFiles() = default;
  // Creates or replaces the file at `path` with `bytes`; raises
  // "Cannot create file "<path>". <reason>".
  virtual void Write(const std::string& path, std::string_view bytes);
  // Puts what was written into `directory` on disk; raises as Write does.
  virtual void Flush(const std::string& directory);
  // Renames `from` to `to`, replacing what stands there; raises as Write does.
  virtual void Rename(const std::string& from, const std::string& to);
  // Removes the file at `path`, if it can.
  virtual void Remove(const std::string& path);
};

// Imports `subscriptions` into the data directory `dataDir` (with its trailing separator):
// each folder goes to the group of its cleaned name (an existing one when it matches
// ignoring case), links a group holds already are skipped, every group written is sorted as
// the window sorts. All or nothing: the new files are written beside the old ones and
// renamed into place only when all are written; should a rename fail, what was renamed is
// put back from backups. Raises vantle::Exception with the reason; the group files are then
// as they were.
TImportCounts ImportSubscriptions(const std::string& dataDir,
                                  const TOpmlSubscriptions& subscriptions, TImportFiles& files);

// Reads the OPML file at `path` and imports it as ImportSubscriptions does. Every failure
// raises "Cannot import "<path>": <reason>".
TImportCounts ImportOpmlFile(const std::string& dataDir, const std::string& path,
                             TImportFiles& files);

// The groups of `dataDir` in the order of the window's group list, each with its feeds.
std::vector<TGroup> ReadAllGroups(const std::string& dataDir);

// The OPML of every group of `dataDir`, dated `created`.
std::string ExportOpml(const std::string& dataDir, std::time_t created);

}  // namespace vantle
