#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "FeedState.h"

namespace vantle::test {

// Feed state kept in memory, for tests of what the fetcher keeps. Counts its saves.
class TMemoryFeedState : public IFeedState {
 public:
  std::optional<TFeedRecord> Find(const std::string& link) override {
    std::lock_guard lock(FMutex);
    const auto found = FRecords.find(link);
    if (found == FRecords.end()) return std::nullopt;
    return found->second;
  }
  void Save(const TFeedRecord& record) override {
    std::lock_guard lock(FMutex);
    FRecords[record.Link] = record;
    ++FSaves;
  }
  std::optional<THostDeferral> Deferral(const std::string& origin) override {
    std::lock_guard lock(FMutex);
    const auto found = FDeferrals.find(origin);
    if (found == FDeferrals.end()) return std::nullopt;
    return found->second;
  }
  void Defer(const THostDeferral& deferral) override {
    std::lock_guard lock(FMutex);
    FDeferrals[deferral.Origin] = deferral;
  }
  void Move(const std::string& from, const std::string& to) override {
    std::lock_guard lock(FMutex);
    const auto found = FRecords.find(from);
    if (found == FRecords.end()) return;
    TFeedRecord record = found->second;
    record.Link = to;
    FRecords.erase(found);
    FRecords[to] = record;
  }
  int Saves() const {
    std::lock_guard lock(FMutex);
    return FSaves;
  }

 private:
  mutable std::mutex FMutex;
  std::map<std::string, TFeedRecord> FRecords;
  std::map<std::string, THostDeferral> FDeferrals;
  int FSaves = 0;
};

}  // namespace vantle::test
