#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "feedlib/FeedState.h"
#include "store/GroupStore.h"

namespace vantle {

// What a command on the subscriptions came to. Everything but Done is a refusal the user is
// told about; nothing was changed then.
enum class TStoreOutcome {
  Done,
  BlankName,    // the name is empty once trimmed
  InvalidName,  // the name holds a character of InvalidNameChars or is dots only
  TakenName,    // another group has the name, ignoring case
  NoSuchGroup,  // the group has no file
  NoSuchFeed,   // the group holds no feed with the link
};

// Which rows of a link a feed command acts on: the window acts on the row selected, the
// first with its link; a script names the link only, so it acts on every row of it.
enum class TFeedRows { First, Every };

// The subscriptions of one data directory: its groups and their feeds, one call per user
// action, for the reader window and the command-line tool alike. File failures raise
// vantle::Exception with the file's message; refusals are returned. The window holds the
// data directory's lock for its life; the tool holds TDataDirLock(dataDir, TLockRole::Tool)
// around each read, change and write it makes through here.
class TSubscriptions {
 public:
  // Over `dataDir`, with its trailing separator.
  explicit TSubscriptions(std::string dataDir,
                          const TNameCollation& collation = TNameCollation::User());

  const std::string& DataDir() const { return FDataDir; }
  // Creates the data directory when missing; one that cannot be made shows later, when a
  // group file cannot be written.
  void MakeDataDir() const;
  // DataDir + `group` + ".dat".
  std::string GroupPath(std::string_view group) const;

  // The groups in the order of the window's group list.
  std::vector<std::string> Groups() const;
  // Whether `name` may name a new group: BlankName, InvalidName, TakenName or Done.
  TStoreOutcome CheckNewName(std::string_view name) const;
  // Whether `from` may be renamed `to` (trimmed already): the group's own name in another
  // case is no collision, and the name it has is never refused.
  TStoreOutcome CheckRename(std::string_view from, std::string_view to) const;

  // Creates the group `name` with an empty file.
  TStoreOutcome CreateGroup(std::string_view name);
  // Renames the group `from` to `to`: the file under the new name is written before the old
  // one goes, so a failed write loses nothing. With `list`, those are the bytes written; a
  // damaged group's file moves whole, its damage with it.
  TStoreOutcome RenameGroup(const std::string& from, const std::string& to,
                            const std::string* list = nullptr);
  // RenameGroup's file work, for a name judged already (the window's dialog judges it
  // against the window's group list).
  void RenameGroupFile(const std::string& from, const std::string& to,
                       const std::string* list = nullptr);
  // Deletes the group's file; a file that cannot be deleted is not reported.
  void DeleteGroup(const std::string& name);

  // True when the group has a file.
  bool HasGroupFile(const std::string& name) const;
  // The bytes of the group's file.
  std::string ReadGroupBytes(const std::string& name) const;
  // Replaces the group's file by `bytes`, atomically. The first write over a file that failed
  // to load keeps that file as "<group>.dat.damaged".
  void WriteGroupBytes(const std::string& name, std::string_view bytes);
  // Notes that the group's file failed to load part-way; the next write keeps a copy of it.
  void MarkDamaged(const std::string& name);
  // Forgets a damage noted: the group was read again.
  void ForgetDamage() { FDamaged.clear(); }
  // Raises the read error of the group's file, if it has one.
  void CheckReadable(const std::string& name) const;

  // The feeds of the group's file and its read error, if any, which also marks it damaged.
  TGroupRead LoadGroup(const std::string& name);
  // Writes `feeds`, sorted, as the group's file, keeping the column widths it had.
  void SaveGroup(const std::string& name, std::vector<TFeed> feeds);

  // Adds `feed` to the group.
  TStoreOutcome AddFeed(const std::string& group, const TFeed& feed);
  // Gives the group's first feed with `link` (each of them, with Every) the title `title`.
  TStoreOutcome RetitleFeed(const std::string& group, const std::string& link,
                            const std::string& title, TFeedRows rows = TFeedRows::First);
  // Gives the group's first feed with `link` the link `newLink`, as when a feed moved; when
  // the group holds `newLink` already, that row goes instead. What `state` keeps of `link`
  // moves to `newLink` once the group is written.
  TStoreOutcome ChangeFeedLink(const std::string& group, const std::string& link,
                               const std::string& newLink, IFeedState* state = nullptr);
  // Moves the group's first feed with `link` (each of them, with Every) to the group `to`;
  // the target is read first, so a target that cannot be read keeps the feed where it was.
  TStoreOutcome MoveFeed(const std::string& from, const std::string& link, const std::string& to,
                         TFeedRows rows = TFeedRows::First);
  // Deletes the group's first feed with `link` (each of them, with Every).
  TStoreOutcome DeleteFeed(const std::string& group, const std::string& link,
                           TFeedRows rows = TFeedRows::First);

 private:
  // The group's feeds, and in `rows` the positions of those with `link`, last first.
  TStoreOutcome FindFeed(const std::string& group, const std::string& link, TFeedRows which,
                         std::vector<TFeed>& feeds, std::vector<std::size_t>& rows);
  std::vector<TFeed> ReadFeeds(const std::string& group);

  std::string FDataDir;
  const TNameCollation& FCollation;
  std::string FDamaged;
};

}  // namespace vantle
