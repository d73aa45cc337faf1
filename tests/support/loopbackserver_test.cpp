#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <string>
#include <thread>

#include "LoopbackServer.h"

namespace vantle::test {
namespace {

using namespace std::chrono_literals;

class LoopbackServer : public testing::Test {
 protected:
  httplib::Result Get(const std::string& path, const httplib::Headers& headers = {}) {
    return Client.Get(path, headers);
  }

  TLoopbackServer Server;
  httplib::Client Client{"127.0.0.1", Server.Port()};
};

TEST_F(LoopbackServer, AnswersByTheFirstRouteThatMatchesTheWholePath) {
  Server.Route(R"(/items/(\d+))", [](const TServedRequest& request) {
    return TReply::Content("item " + request.Matches[1] + " " + request.Param("view"),
                           "text/plain");
  });
  Server.Serve("/items/7", "text/plain", "never: an earlier route matches");
  Server.Serve("/a.b", "text/plain", "dot");
  struct TCase {
    std::string Path;
    int Status;
    std::string Body;
  };
  for (const TCase& c :
       {TCase{"/items/7?view=full", 200, "item 7 full"}, TCase{"/items/7/more", 404, ""},
        TCase{"/a.b", 200, "dot"}, TCase{"/aXb", 404, ""}}) {
    SCOPED_TRACE(c.Path);
    const httplib::Result result = Get(c.Path);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, c.Status);
    EXPECT_EQ(result->body, c.Body);
  }
}

TEST_F(LoopbackServer, SendsTheStatusAndHeadersOfItsReply) {
  Server.Answer("/moved", TReply::Redirect("/there", 301));
  Server.Answer(
      "/tagged",
      {.Status = 200, .Type = "text/xml", .Body = "<a/>", .Headers = {{"ETag", "\"v1\""}}});
  const httplib::Result moved = Get("/moved");
  ASSERT_TRUE(moved);
  EXPECT_EQ(moved->status, 301);
  EXPECT_EQ(moved->get_header_value("Location"), "/there");
  const httplib::Result tagged = Get("/tagged");
  ASSERT_TRUE(tagged);
  EXPECT_EQ(tagged->get_header_value("ETag"), "\"v1\"");
  EXPECT_EQ(tagged->get_header_value("Content-Type"), "text/xml");
}

TEST_F(LoopbackServer, LogsEveryRequestWithItsHeadersAnsweredOrNot) {
  Server.Serve("/feed", "text/xml", "<a/>");
  Get("/feed?x=1", {{"If-None-Match", "\"v1\""}});
  Get("/nowhere");
  const std::vector<TServedRequest> log = Server.Requests();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].Method, "GET");
  EXPECT_EQ(log[0].Path, "/feed");
  EXPECT_EQ(log[0].Param("x"), "1");
  EXPECT_EQ(log[0].Header("if-none-match"), "\"v1\"");
  EXPECT_EQ(log[1].Path, "/nowhere");
  EXPECT_EQ(Server.RequestsFor("/feed"), 1);
}

TEST_F(LoopbackServer, HoldsAReplyBackUntilItsGateOpens) {
  auto gate = std::make_shared<TGate>();
  Server.Answer("/held", {.Type = "text/plain", .Body = "late", .Gate = gate});
  std::thread opener([&] {
    while (Server.Holding() == 0) std::this_thread::sleep_for(10ms);
    gate->Open();
  });
  const httplib::Result result = Get("/held");
  opener.join();
  ASSERT_TRUE(result);
  EXPECT_EQ(result->body, "late");
  EXPECT_EQ(Server.Holding(), 0);
}

TEST_F(LoopbackServer, SendsABodyInPiecesWhole) {
  TReply reply = TReply::Content(std::string(1000, 'x') + "end", "application/rss+xml");
  reply.Pieces = 7;
  Server.Answer("/pieces", reply);
  const httplib::Result result = Get("/pieces");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->body, reply.Body);
  EXPECT_EQ(result->get_header_value("Transfer-Encoding"), "chunked");
}

}  // namespace
}  // namespace vantle::test
