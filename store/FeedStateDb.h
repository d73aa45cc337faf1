#pragma once

#include <sys/types.h>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "feedlib/FeedState.h"
#include "store/SqliteDb.h"

namespace vantle {

// The feed state of a data directory, kept in the SQLite database DataDir +
// ".vantle-state.sqlite" (WAL mode, with its "-wal" and "-shm"), a name the group listing
// never takes for a group. The window and the tool may use one file at the same time.
//
// Nothing is opened before the first call. One connection serves every thread, one call at a
// time under a mutex; each call is one short transaction, waiting up to a second for another
// writer. A damaged file (SQLITE_CORRUPT, SQLITE_NOTADB) and its "-wal" and "-shm" are set
// aside with the suffix ".damaged", replacing older ones, and the call goes on against a
// fresh database. A database of a newer schema is left as it is and not used: Find, Deferral
// and Setting answer none, the writes do nothing.
//
// Failures other than damage (the file busy past the wait, a disk error, a directory that
// cannot be written) never stop a feed from being read: Find, Deferral and Setting answer
// none; Save, Defer, Move and SetSetting raise vantle::Exception
// "Cannot save the feed state "<path>". <reason>", which a fetch may ignore.
class TFeedStateDb : public IFeedState {
 public:
  // Over `dataDir`, with its trailing separator.
  explicit TFeedStateDb(std::string dataDir);
  ~TFeedStateDb() override;

  // The database file of `dataDir`.
  static std::string PathOf(const std::string& dataDir);

  std::optional<TFeedRecord> Find(const std::string& link) override;
  void Save(const TFeedRecord& record) override;
  std::optional<THostDeferral> Deferral(const std::string& origin) override;
  void Defer(const THostDeferral& deferral) override;
  void Move(const std::string& from, const std::string& to) override;

  // The value kept under `key` in the settings, none when there is none.
  std::optional<std::string> Setting(const std::string& key);
  // Keeps `value` under `key`, replacing the earlier one.
  void SetSetting(const std::string& key, const std::string& value);

  // The items seen, as TItemMarks keeps them; Move carries them to the new link too.
  void RecordItems(const std::string& link, const std::vector<std::string>& identities,
                   TUnixTime now);
  void MarkRead(const std::string& link);
  // None unread when nothing can be read.
  int UnreadCount(const std::string& link);
  std::map<std::string, int> UnreadCounts();

 private:
  using TWork = std::function<void(TSqliteDb&)>;
  // Runs `work` on the database, opened first if need be; false when the database is left
  // alone. Damage sets the file aside and runs `work` once more on a fresh one.
  bool Run(const TWork& work);
  // Run for a reading: false when nothing could be read.
  bool Read(const TWork& work);
  // Run for a writing, raising a failure as the saving error.
  void Write(const TWork& work);
  // Opens the database, bringing its schema to this program's version.
  void Open();
  // Notes which file stands at FPath, just opened.
  void NoteOpenedFile();
  // Closes the damaged database and moves its files aside, unless another process did.
  void SetAside();

  std::mutex FMutex;
  std::string FPath;
  std::unique_ptr<TSqliteDb> FDb;
  bool FNewer = false;
  // The file the connection opened, to tell whether it still stands at FPath.
  dev_t FDevice = 0;
  ino_t FInode = 0;
};

}  // namespace vantle
