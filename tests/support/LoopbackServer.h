#pragma once

// The one web server of the tests: it listens on the loopback interface, answers GET
// requests by rules, and logs every request it receives. The HTTP library stays behind this
// header, so test programs that use the server do not compile it.

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vantle::test {

// A request as the server received it.
struct TServedRequest {
  std::string Method;
  std::string Path;                           // without the query
  std::map<std::string, std::string> Params;  // the query's parameters
  std::vector<std::string> Matches;           // the route's groups; [0] is the whole path
  std::vector<std::pair<std::string, std::string>> Headers;

  // The first header called `name` (in any case), or "" when there is none.
  std::string Header(const std::string& name) const;
  // The query parameter `name`, or "" when there is none.
  std::string Param(const std::string& name) const;
};

// Holds back the replies that name it until it is opened.
class TGate {
 public:
  void Open() { FOpen = true; }
  bool IsOpen() const { return FOpen; }

 private:
  std::atomic<bool> FOpen{false};
};

// What the server answers. A silence, a gate and a body sent in pieces all end early when
// the server stops, so that no test waits for them at its end.
struct TReply {
  int Status = 200;
  std::string Type{};  // the content type; with none, no body is sent
  std::string Body{};
  std::vector<std::pair<std::string, std::string>> Headers{};
  std::chrono::milliseconds Delay{0};     // silence before the answer
  std::shared_ptr<TGate> Gate{};          // silence until it opens (at most `Delay` when given)
  int Pieces = 0;                         // above 0, the body goes out chunked in that many parts
  std::chrono::milliseconds Interval{0};  // the pause before each part

  // A body of `type`.
  static TReply Content(std::string body, std::string type);
  // A redirect to `location`.
  static TReply Redirect(std::string location, int status = 302);
  // `reply`, or a 304 with its headers when the request sends back its ETag (If-None-Match)
  // or its Last-Modified (If-Modified-Since) byte for byte, as a publisher that keeps the
  // rules answers.
  static TReply Conditional(const TServedRequest& request, TReply reply);
};

using TRule = std::function<TReply(const TServedRequest&)>;

class TLoopbackServer {
 public:
  // A certificate and its key in PEM files, for a server that speaks HTTPS.
  struct TTls {
    std::string Certificate;
    std::string Key;
  };

  TLoopbackServer();
  explicit TLoopbackServer(const TTls& tls);
  TLoopbackServer(const TLoopbackServer&) = delete;
  TLoopbackServer& operator=(const TLoopbackServer&) = delete;
  ~TLoopbackServer();

  int Port() const;
  // The link of `path` (which may carry a query) on this server.
  std::string Url(const std::string& path) const;

  // Answers the paths matching `pattern` (a regular expression over the whole path) by `rule`.
  // A later route for the same pattern does not replace an earlier one.
  void Route(const std::string& pattern, TRule rule);
  // Answers `path` with `reply` as a publisher that keeps the rules does (Conditional), until
  // the next Publish of `path`; before every route.
  void Publish(const std::string& path, TReply reply);
  // Answers `path` with `reply`, every time.
  void Answer(const std::string& path, TReply reply);
  // Serves `body` at `path`, after a silence of `delay` when given.
  void Serve(const std::string& path, const std::string& type, const std::string& body,
             std::chrono::milliseconds delay = std::chrono::milliseconds(0));
  // Serves `body` at `path` in `pieces` parts, one every `interval`.
  void Trickle(const std::string& path, const std::string& body, int pieces,
               std::chrono::milliseconds interval);

  // Every request received so far, in the order of arrival, answered or not.
  std::vector<TServedRequest> Requests() const;
  // How many requests for `path` arrived so far.
  int RequestsFor(const std::string& path) const;
  // How many requests the server holds now: silent, or with their body still on its way.
  int Holding() const;
  // The most requests it held at once so far.
  int MostHeld() const;

 private:
  struct TState;
  std::shared_ptr<TState> FState;
};

}  // namespace vantle::test
