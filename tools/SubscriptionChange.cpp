#include "SubscriptionChange.h"

#include <iostream>

#include "DataDirAccess.h"
#include "UVantleUtils.h"
#include "store/DataDirLock.h"

namespace vantle::tool {

int ChangeUnderLock(const std::string& dataDir, const TChange& change) {
  TSubscriptions store(dataDir);
  store.MakeDataDir();
  // Held from the first read to the last write: no window starts in between.
  const TDataDirLock lock(dataDir, TLockRole::Tool);
  if (!lock.Held()) {
    std::cerr << LockRefusal(lock, dataDir, "changed") << '\n';
    return 1;
  }
  const std::string refusal = change(store);
  std::cout.flush();
  if (refusal.empty()) return 0;
  std::cerr << "vantle-feed: " << refusal << '\n';
  return 1;
}

std::string RefusalText(TStoreOutcome outcome, const std::string& group, const std::string& link) {
  switch (outcome) {
    case TStoreOutcome::Done:
      return {};
    case TStoreOutcome::BlankName:
      return "a group needs a name";
    case TStoreOutcome::InvalidName:
      return "\"" + group + "\" cannot name a group: it is dots only or holds one of \"" +
             std::string(InvalidNameChars) + "\"";
    case TStoreOutcome::TakenName:
      return "a group named \"" + group + "\" exists already";
    case TStoreOutcome::NoSuchGroup:
      return "there is no group \"" + group + "\"";
    case TStoreOutcome::NoSuchFeed:
      return "the group \"" + group + "\" holds no feed " + link;
  }
  return {};
}

}  // namespace vantle::tool
