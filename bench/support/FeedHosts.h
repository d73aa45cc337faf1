#pragma once

// The check benchmark's setting, for the benchmarks that check beside it: fifty loopback hosts
// (127.0.0.2 to 127.0.0.51) answering every path with one feed, each answer held back as a
// distant server's would be, and a data directory of subscriptions spread over them.

#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace vantle::bench {

constexpr int CheckHosts = 50;
constexpr int CheckFeeds = 1000;
constexpr int CheckGroups = 10;
constexpr int CheckItems = 20;
constexpr auto CheckAnswerDelay = std::chrono::milliseconds(100);

// Fifty servers, one per loopback address, answering every path with `feed` under an ETag of
// the path; a request that sends it back with If-None-Match gets a 304.
class TFeedHosts {
 public:
  explicit TFeedHosts(std::string feed);
  ~TFeedHosts();

  static std::string Address(int host) { return "127.0.0." + std::to_string(host + 2); }

  // The connections the requests came on since the last call.
  std::size_t TakeConnections();

 private:
  void NoteConnection(const std::string& peer);

  std::mutex FLock;
  std::set<std::string> FConnections;
  std::string FFeed;
  std::vector<std::unique_ptr<httplib::Server>> FServers;
  std::vector<std::thread> FThreads;
};

// Writes a data directory of CheckFeeds subscriptions spread over the hosts, in CheckGroups
// groups.
void WriteCheckSubscriptions(const std::filesystem::path& dataDir);

}  // namespace vantle::bench
