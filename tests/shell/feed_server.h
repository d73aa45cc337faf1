#pragma once

// A web server on the loopback interface for one test: feeds and pages, served at once,
// after a silence, or a piece at a time.

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

namespace vantle::test {

class TFeedServer {
 public:
  TFeedServer() {
    FPort = FServer.bind_to_any_port("127.0.0.1");
    FThread = std::thread([this] { FServer.listen_after_bind(); });
    // Bound already, so early requests wait in the backlog; this only bounds the start.
    for (int i = 0; i < 500 && !FServer.is_running(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  TFeedServer(const TFeedServer&) = delete;
  TFeedServer& operator=(const TFeedServer&) = delete;
  ~TFeedServer() {
    *FStopping = true;
    FServer.stop();
    FThread.join();
  }

  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(FPort) + path;
  }

  // Serves `body` at `path`, after a silence of `delay` when given (cut short when the
  // server stops).
  void Serve(const std::string& path, const std::string& type, const std::string& body,
             std::chrono::milliseconds delay = std::chrono::milliseconds(0)) {
    FServer.Get(path, [body, type, delay, stopping = FStopping](const httplib::Request&,
                                                                httplib::Response& response) {
      const auto until = std::chrono::steady_clock::now() + delay;
      while (!*stopping && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
      response.set_content(body, type);
    });
  }

  // Serves `body` at `path` in `pieces` parts, one every `interval`.
  void Trickle(const std::string& path, const std::string& body, int pieces,
               std::chrono::milliseconds interval) {
    FServer.Get(path, [body, pieces, interval, stopping = FStopping](const httplib::Request&,
                                                                     httplib::Response& response) {
      response.set_chunked_content_provider(
          "application/rss+xml", [=](size_t, httplib::DataSink& sink) {
            const size_t step = body.size() / static_cast<size_t>(pieces) + 1;
            for (size_t at = 0; at < body.size() && !*stopping; at += step) {
              std::this_thread::sleep_for(interval);
              const std::string piece = body.substr(at, step);
              if (!sink.write(piece.data(), piece.size())) {
                return false;
              }
            }
            sink.done();
            return true;
          });
    });
  }

 private:
  httplib::Server FServer;
  int FPort = 0;
  std::thread FThread;
  std::shared_ptr<std::atomic<bool>> FStopping = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace vantle::test
