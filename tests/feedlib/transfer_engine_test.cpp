#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "CurlLibrary.h"
#include "TransferEngine.h"
#include "support/LoopbackServer.h"

namespace vantle {
namespace {

using test::TLoopbackServer;
using test::TReply;

const TCurlLibrary& Curl() {
  const TCurlLoad& load = CurlLibrary();
  if (!load.Library) throw std::runtime_error(load.Failure);
  return *load.Library;
}

size_t Discard(char*, size_t size, size_t count, void*) {
  return size * count;
}

// A job asking for `link` that counts how it ended.
struct TCounted {
  int Finished = 0;
  std::vector<std::string> Refusals;
};

TTransferJob JobFor(const TCurlLibrary& curl, const std::string& origin, const std::string& link,
                    TCounted& counted) {
  // The job owns its handle, as a feed request does.
  auto handle = std::shared_ptr<CURL>(curl.EasyInit(), curl.EasyCleanup);
  return {.Origin = origin,
          .SetUp = [&curl, handle, link]() -> CURL* {
            if (curl.EasySetopt(handle.get(), CURLOPT_URL, link.c_str()) != CURLE_OK ||
                curl.EasySetopt(handle.get(), CURLOPT_WRITEFUNCTION, Discard) != CURLE_OK)
              return nullptr;
            return handle.get();
          },
          .Finished = [&counted, handle](CURL*, CURLcode) { ++counted.Finished; },
          .Refused = [&counted](const std::string& reason) { counted.Refusals.push_back(reason); }};
}

TEST(TransferEngine, FailsAJobWhoseSetUpRaisesWithoutAskingAndRunsTheOthers) {
  TLoopbackServer server;
  server.Serve("/feed", "application/rss+xml", "<rss/>");
  TTransferEngine engine(Curl());
  TCounted counted;
  engine.Add(JobFor(Curl(), server.Url(""), server.Url("/feed"), counted));
  TTransferJob refused = JobFor(Curl(), server.Url(""), server.Url("/refused"), counted);
  refused.SetUp = []() -> CURL* { throw Exception("the protocols could not be limited"); };
  engine.Add(std::move(refused));
  const std::atomic<bool> stop{false};
  engine.Run(stop);
  EXPECT_EQ(counted.Finished, 1);
  EXPECT_EQ(counted.Refusals, std::vector<std::string>{"the protocols could not be limited"});
  EXPECT_EQ(server.RequestsFor("/refused"), 0);
}

CURLMcode RefuseOption(CURLM*, CURLMoption, ...) {
  return CURLM_OUT_OF_MEMORY;
}

TEST(TransferEngine, ReportsEachFailingMultiEntryPointInTheMultiInterfacesOwnWords) {
  TLoopbackServer server;
  server.Serve("/feed", "application/rss+xml", "<rss/>");
  const std::pair<const char*, void (*)(TCurlLibrary&)> faults[] = {
      {"perform",
       [](TCurlLibrary& curl) {
         curl.MultiPerform = [](CURLM*, int*) { return CURLM_OUT_OF_MEMORY; };
       }},
      {"poll",
       [](TCurlLibrary& curl) {
         curl.MultiPoll = [](CURLM*, curl_waitfd*, unsigned, int, int*) {
           return CURLM_OUT_OF_MEMORY;
         };
       }},
      {"setopt", [](TCurlLibrary& curl) { curl.MultiSetopt = RefuseOption; }},
  };
  for (const auto& [name, breakIt] : faults) {
    TCurlLibrary broken = Curl();
    breakIt(broken);
    TTransferEngine engine(broken);
    TCounted counted;
    engine.Add(JobFor(broken, server.Url(""), server.Url("/feed"), counted));
    const std::atomic<bool> stop{false};
    try {
      engine.Run(stop);
      ADD_FAILURE() << name << ": the run did not fail";
    } catch (const ETransferError& error) {
      EXPECT_EQ(std::string(error.what()),
                std::string("the transfers failed: ") + Curl().MultiStrerror(CURLM_OUT_OF_MEMORY))
          << name;
    }
  }
}

}  // namespace
}  // namespace vantle
