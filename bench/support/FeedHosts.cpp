#include "FeedHosts.h"

#include <httplib.h>

#include <fstream>
#include <stdexcept>
#include <utility>

#include "store/GroupStore.h"

namespace vantle::bench {

TFeedHosts::TFeedHosts(std::string feed) : FFeed(std::move(feed)) {
  for (int host = 0; host < CheckHosts; ++host) {
    auto server = std::make_unique<httplib::Server>();
    // Connections stay open for the check's life, as a web server's usually do.
    server->set_keep_alive_max_count(100000);
    server->set_keep_alive_timeout(60);
    server->Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
      NoteConnection(request.remote_addr + ":" + std::to_string(request.remote_port));
      std::this_thread::sleep_for(CheckAnswerDelay);
      const std::string etag = "\"v1" + request.path + "\"";
      response.set_header("ETag", etag);
      if (request.get_header_value("If-None-Match") == etag) {
        response.status = 304;
        return;
      }
      response.set_content(FFeed, "application/rss+xml");
    });
    if (!server->bind_to_port(Address(host).c_str(), 8080))
      throw std::runtime_error("cannot listen on " + Address(host));
    FServers.push_back(std::move(server));
  }
  for (auto& server : FServers) {
    httplib::Server* raw = server.get();
    FThreads.emplace_back([raw] { raw->listen_after_bind(); });
  }
  for (auto& server : FServers)
    while (!server->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

TFeedHosts::~TFeedHosts() {
  for (auto& server : FServers) server->stop();
  for (auto& thread : FThreads) thread.join();
}

std::size_t TFeedHosts::TakeConnections() {
  const std::lock_guard<std::mutex> guard(FLock);
  return std::exchange(FConnections, {}).size();
}

void TFeedHosts::NoteConnection(const std::string& peer) {
  const std::lock_guard<std::mutex> guard(FLock);
  FConnections.insert(peer);
}

void WriteCheckSubscriptions(const std::filesystem::path& dataDir) {
  std::filesystem::create_directories(dataDir);
  std::vector<std::vector<TFeed>> groups(CheckGroups);
  for (int feed = 0; feed < CheckFeeds; ++feed) {
    const std::string link = "http://" + TFeedHosts::Address(feed % CheckHosts) + ":8080/feed/" +
                             std::to_string(feed) + ".xml";
    groups[feed % CheckGroups].push_back({link, "Feed " + std::to_string(feed)});
  }
  for (int group = 0; group < CheckGroups; ++group) {
    std::ofstream file(dataDir / ("Group " + std::to_string(group) + ".dat"), std::ios::binary);
    file << EncodeGroup(groups[group]);
  }
}

}  // namespace vantle::bench
