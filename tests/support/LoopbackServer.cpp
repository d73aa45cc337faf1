#include "LoopbackServer.h"

#include <httplib.h>
#include <strings.h>

#include <algorithm>
#include <mutex>
#include <regex>
#include <stdexcept>
#include <thread>

namespace vantle::test {

namespace {

using Clock = std::chrono::steady_clock;

std::string Lookup(const std::vector<std::pair<std::string, std::string>>& pairs,
                   const std::string& name) {
  for (const auto& [key, value] : pairs)
    if (strcasecmp(key.c_str(), name.c_str()) == 0) return value;
  return "";
}

// A pattern that matches `path` and nothing else.
std::string Exactly(const std::string& path) {
  return std::regex_replace(path, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)");
}

}  // namespace

std::string TServedRequest::Header(const std::string& name) const {
  return Lookup(Headers, name);
}

std::string TServedRequest::Param(const std::string& name) const {
  const auto found = Params.find(name);
  return found == Params.end() ? "" : found->second;
}

TReply TReply::Content(std::string body, std::string type) {
  TReply reply;
  reply.Body = std::move(body);
  reply.Type = std::move(type);
  return reply;
}

TReply TReply::Redirect(std::string location, int status) {
  TReply reply;
  reply.Status = status;
  reply.Headers.emplace_back("Location", std::move(location));
  return reply;
}

TReply TReply::Conditional(const TServedRequest& request, TReply reply) {
  const std::string etag = Lookup(reply.Headers, "ETag");
  const std::string modified = Lookup(reply.Headers, "Last-Modified");
  const std::string ifNoneMatch = request.Header("If-None-Match");
  const std::string ifModifiedSince = request.Header("If-Modified-Since");
  const bool matches = !ifNoneMatch.empty()
                           ? ifNoneMatch == etag
                           : !ifModifiedSince.empty() && ifModifiedSince == modified;
  if (!matches) return reply;
  return TReply{.Status = 304, .Headers = reply.Headers};
}

struct TLoopbackServer::TState {
  std::unique_ptr<httplib::Server> Server;
  std::string Scheme;
  int Port = 0;
  std::thread Thread;
  std::atomic<bool> Stopping{false};
  std::atomic<int> Holding{0};
  std::atomic<int> MostHeld{0};
  mutable std::mutex Lock;  // guards the routes and the log
  std::vector<std::pair<std::regex, TRule>> Routes;
  std::map<std::string, TReply> Published;
  std::vector<TServedRequest> Log;

  // Sleeps for `pause` in short steps; false once the server stops.
  bool Pause(std::chrono::milliseconds pause) const {
    const auto until = Clock::now() + pause;
    while (!Stopping && Clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return !Stopping;
  }

  // Keeps silent as long as `reply` asks, or until the server stops.
  void HoldBack(const TReply& reply) {
    if (reply.Delay.count() == 0 && !reply.Gate) return;
    const auto until = Clock::now() + reply.Delay;
    const auto silent = [&] {
      if (reply.Gate && reply.Gate->IsOpen()) return false;
      return reply.Delay.count() == 0 || Clock::now() < until;
    };
    while (!Stopping && silent()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }

  void Hold() {
    const int held = ++Holding;
    int most = MostHeld;
    while (held > most && !MostHeld.compare_exchange_weak(most, held)) {
    }
  }

  // The request as logged, with the groups of the first route it matches; no route when none.
  std::pair<TServedRequest, TRule> Receive(const httplib::Request& request) {
    TServedRequest served;
    served.Method = request.method;
    served.Path = request.path;
    for (const auto& [name, value] : request.params) served.Params.emplace(name, value);
    for (const auto& [name, value] : request.headers) served.Headers.emplace_back(name, value);
    std::lock_guard<std::mutex> guard(Lock);
    TRule rule;
    if (const auto published = Published.find(request.path); published != Published.end()) {
      rule = [reply = published->second](const TServedRequest& asked) {
        return TReply::Conditional(asked, reply);
      };
    }
    for (const auto& [pattern, candidate] : Routes) {
      if (rule) break;
      std::smatch groups;
      if (!std::regex_match(request.path, groups, pattern)) continue;
      for (const auto& group : groups) served.Matches.push_back(group.str());
      rule = candidate;
      break;
    }
    Log.push_back(served);
    return {served, rule};
  }

  void Answer(const httplib::Request& request, httplib::Response& response) {
    auto [served, rule] = Receive(request);
    const TReply reply = rule ? rule(served) : TReply{.Status = 404};
    Hold();
    HoldBack(reply);
    response.status = reply.Status;
    for (const auto& [name, value] : reply.Headers) response.set_header(name, value);
    if (reply.Pieces > 0) {
      SendInPieces(reply, response);
      return;
    }
    if (!reply.Type.empty()) response.set_content(reply.Body, reply.Type);
    --Holding;
  }

  void SendInPieces(const TReply& reply, httplib::Response& response) {
    const size_t step = reply.Body.size() / static_cast<size_t>(reply.Pieces) + 1;
    response.set_chunked_content_provider(
        reply.Type,
        [this, body = reply.Body, step, interval = reply.Interval](size_t,
                                                                   httplib::DataSink& sink) {
          for (size_t at = 0; at < body.size() && Pause(interval); at += step) {
            const std::string piece = body.substr(at, step);
            if (!sink.write(piece.data(), piece.size())) return false;
          }
          sink.done();
          return true;
        },
        // Released once the body is sent, or the client has gone.
        [this](bool) { --Holding; });
  }
};

TLoopbackServer::TLoopbackServer() : TLoopbackServer(TTls{}) {}

TLoopbackServer::TLoopbackServer(const TTls& tls) : FState(std::make_shared<TState>()) {
  TState& state = *FState;
  if (tls.Certificate.empty()) {
    state.Server = std::make_unique<httplib::Server>();
    state.Scheme = "http";
  } else {
    state.Server = std::make_unique<httplib::SSLServer>(tls.Certificate.c_str(), tls.Key.c_str());
    state.Scheme = "https";
  }
  if (!state.Server->is_valid()) throw std::runtime_error("the test server cannot start");
  // One request a connection: a browser's idle connection would otherwise keep a worker,
  // and so the server's stop, waiting for the keep-alive time.
  state.Server->set_keep_alive_max_count(1);
  state.Server->Get(".*", [&state](const httplib::Request& request, httplib::Response& response) {
    state.Answer(request, response);
  });
  state.Port = state.Server->bind_to_any_port("127.0.0.1");
  if (state.Port <= 0) throw std::runtime_error("the test server cannot listen on loopback");
  state.Thread = std::thread([&state] { state.Server->listen_after_bind(); });
  // Bound already, so early requests wait in the backlog; this only bounds the start.
  for (int i = 0; i < 500 && !state.Server->is_running(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

TLoopbackServer::~TLoopbackServer() {
  FState->Stopping = true;
  FState->Server->stop();
  FState->Thread.join();
}

int TLoopbackServer::Port() const {
  return FState->Port;
}

std::string TLoopbackServer::Url(const std::string& path) const {
  return FState->Scheme + "://127.0.0.1:" + std::to_string(FState->Port) + path;
}

void TLoopbackServer::Route(const std::string& pattern, TRule rule) {
  std::lock_guard<std::mutex> guard(FState->Lock);
  FState->Routes.emplace_back(std::regex(pattern), std::move(rule));
}

void TLoopbackServer::Publish(const std::string& path, TReply reply) {
  std::lock_guard<std::mutex> guard(FState->Lock);
  FState->Published[path] = std::move(reply);
}

void TLoopbackServer::Serve(const std::string& path, const std::string& type,
                            const std::string& body, std::chrono::milliseconds delay) {
  TReply reply = TReply::Content(body, type);
  reply.Delay = delay;
  Answer(path, std::move(reply));
}

void TLoopbackServer::Trickle(const std::string& path, const std::string& body, int pieces,
                              std::chrono::milliseconds interval) {
  TReply reply = TReply::Content(body, "application/rss+xml");
  reply.Pieces = pieces;
  reply.Interval = interval;
  Answer(path, std::move(reply));
}

void TLoopbackServer::Answer(const std::string& path, TReply reply) {
  Route(Exactly(path), [reply = std::move(reply)](const TServedRequest&) { return reply; });
}

std::vector<TServedRequest> TLoopbackServer::Requests() const {
  std::lock_guard<std::mutex> guard(FState->Lock);
  return FState->Log;
}

int TLoopbackServer::RequestsFor(const std::string& path) const {
  std::lock_guard<std::mutex> guard(FState->Lock);
  return static_cast<int>(std::count_if(FState->Log.begin(), FState->Log.end(),
                                        [&](const TServedRequest& r) { return r.Path == path; }));
}

int TLoopbackServer::Holding() const {
  return FState->Holding;
}

int TLoopbackServer::MostHeld() const {
  return FState->MostHeld;
}

}  // namespace vantle::test
