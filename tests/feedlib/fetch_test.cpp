#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "CurlLibrary.h"
#include "FeedFetcher.h"
#include "XMLDocument.h"
#include "support/LoopbackServer.h"

namespace vantle {
namespace {

namespace fs = std::filesystem;
using test::TGate;
using test::TLoopbackServer;
using test::TReply;
using test::TServedRequest;

const std::string kFeed = "<rss version='2.0'><channel><title>Served</title></channel></rss>";

std::string Gzip(const std::string& text) {
  z_stream stream{};
  deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, text.size()), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  stream.avail_in = static_cast<uInt>(text.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

// A document of about `size` bytes that is well-formed XML.
std::string LargeFeed(size_t size) {
  std::string xml = "<rss><channel><title>big</title>";
  while (xml.size() < size) xml += "<item><title>an item with some text in it</title></item>\n";
  return xml + "</channel></rss>";
}

struct TFetched {
  std::string Body;
  int Chunks = 0;
};

TFetched FetchAll(const std::string& link, TFetchOptions options = {},
                  const TProgressCallback& progress = {}) {
  TFetched result;
  TFeedFetcher(options).Fetch(
      link,
      [&result](const char* data, size_t size) {
        result.Body.append(data, size);
        ++result.Chunks;
      },
      progress);
  return result;
}

std::string FetchError(const std::string& link, TFetchOptions options = {}) {
  try {
    FetchAll(link, options);
  } catch (const EFetchError& e) {
    return e.what();
  }
  return "(no error)";
}

std::string ReadFile(const fs::path& path) {
  std::ostringstream bytes;
  bytes << std::ifstream(path, std::ios::binary).rdbuf();
  return bytes.str();
}

// The text of the channel title of `link`, or the error its load raises.
std::string TitleOrError(const std::string& link) {
  TXMLDocument doc;
  try {
    doc.LoadFromFile(link);
    IXMLNode& channel = doc.DocumentElement().ChildNodes().Nodes("channel");
    return channel.ChildNodes().Nodes("title").NodeValue().AsString();
  } catch (const Exception& e) {
    return e.what();
  }
}

// `text` with every byte but letters and digits percent-encoded, for a query.
std::string QueryEncoded(const std::string& text) {
  std::string encoded;
  for (const unsigned char c : text) {
    if (std::isalnum(c)) {
      encoded += static_cast<char>(c);
    } else {
      char escape[4];
      std::snprintf(escape, sizeof escape, "%%%02X", c);
      encoded += escape;
    }
  }
  return encoded;
}

// A loopback port that nothing listens on.
int ClosedPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), size);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  close(fd);
  return ntohs(address.sin_port);
}

// The feed in `pieces` parts, with a pause of `pause` before each.
TReply Paced(std::chrono::milliseconds pause, int pieces) {
  // A type the server does not compress, since compressing holds the pieces back.
  TReply reply = TReply::Content(kFeed, "application/rss+xml");
  reply.Pieces = pieces;
  reply.Interval = pause;
  return reply;
}

// A libcurl table that refuses one option and passes every other to the real libcurl.
CURLoption gRefusedOption = CURLOPT_LASTENTRY;

CURLcode RefusingSetopt(CURL* handle, CURLoption option, ...) {
  if (option == gRefusedOption) return CURLE_UNKNOWN_OPTION;
  const TCurlLibrary& real = *CurlLibrary().Library;
  va_list args;
  va_start(args, option);
  CURLcode code;
  if (option < CURLOPTTYPE_OBJECTPOINT) {
    code = real.EasySetopt(handle, option, va_arg(args, long));
  } else if (option >= CURLOPTTYPE_OFF_T && option < CURLOPTTYPE_BLOB) {
    code = real.EasySetopt(handle, option, va_arg(args, curl_off_t));
  } else {
    code = real.EasySetopt(handle, option, va_arg(args, void*));
  }
  va_end(args);
  return code;
}

CURLMcode FailingPoll(CURLM*, curl_waitfd*, unsigned, int, int*) {
  return CURLM_OUT_OF_MEMORY;
}

class FetchFromServer : public testing::Test {
 protected:
  void SetUp() override {
    FServer.Serve("/feed", "application/rss+xml", kFeed);
    FServer.Route("/agent", [](const TServedRequest& request) {
      return TReply::Content("<agent>" + request.Header("User-Agent") + "</agent>", "text/xml");
    });
    FServer.Answer("/missing",
                   {.Status = 404, .Type = "text/html", .Body = "<html>not here</html>"});
    FServer.Answer("/broken", {.Status = 500});
    FServer.Answer("/moved", TReply::Redirect("/feed"));
    FServer.Answer("/loop", TReply::Redirect("/loop"));
    FServer.Answer("/tofile", TReply::Redirect("file:///etc/passwd"));
    // Silent until the server stops: only a timeout or an abort ends a fetch of it.
    FServer.Answer("/slow", {.Type = "text/xml", .Body = kFeed, .Gate = std::make_shared<TGate>()});
    FServer.Serve("/large", "text/xml", LargeFeed(300000));
    TReply streamed = TReply::Content(std::string(64 * 16 * 1024, 'x'), "text/xml");
    streamed.Pieces = 64;
    FServer.Answer("/streamed", streamed);
    FServer.Answer(
        "/gzip",
        {.Type = "text/xml", .Body = Gzip(kFeed), .Headers = {{"Content-Encoding", "gzip"}}});
    FServer.Route(R"(/served/(.+))", [](const TServedRequest& request) {
      const fs::path sample = fs::path(VANTLE_EXAMPLES_DIR) / "encodings" / request.Matches[1];
      return TReply::Content(ReadFile(sample), request.Param("type"));
    });
    FServer.Route(R"(/status/(\d+))", [](const TServedRequest& request) {
      const int status = std::stoi(request.Matches[1]);
      if (status == 204 || status == 304) return TReply{.Status = status};
      return TReply{.Status = status, .Type = "text/html", .Body = kFeed};
    });
    FServer.Serve("/empty", "text/xml", "");
    // Sends the feed in pieces: `pause` milliseconds before each, `pieces` of them.
    FServer.Route("/paced", [](const TServedRequest& request) {
      return Paced(std::chrono::milliseconds(std::stoi(request.Param("pause"))),
                   std::stoi(request.Param("pieces")));
    });
    FServer.Serve("/garbage", "text/xml", "<rss><channel></rss>" + std::string(200000, ' '));
  }

  std::string Url(const std::string& path) const { return FServer.Url(path); }

  TLoopbackServer FServer;
};

TEST_F(FetchFromServer, ReadsADocumentAndNamesItselfInTheUserAgent) {
  EXPECT_EQ(FetchAll(Url("/feed")).Body, kFeed);
  EXPECT_EQ(FetchAll(Url("/agent")).Body,
            "<agent>Vantle/" VANTLE_VERSION " (+https://vantle.example.org)</agent>");
}

// Each test runs in a process of its own under CTest, so these fetches are the first, and
// they load libcurl together.
TEST_F(FetchFromServer, LetsThreadsThatFetchTheFirstTimeTogetherEachReadTheirDocument) {
  std::vector<std::string> bodies(8);
  std::vector<std::thread> fetches;
  for (std::string& body : bodies)
    fetches.emplace_back([this, &body] {
      try {
        body = FetchAll(Url("/feed")).Body;
      } catch (const EFetchError& error) {
        body = error.what();
      }
    });
  for (std::thread& fetch : fetches) fetch.join();
  for (const std::string& body : bodies) EXPECT_EQ(body, kFeed);
}

TEST_F(FetchFromServer, FollowsRedirects) {
  EXPECT_EQ(FetchAll(Url("/moved")).Body, kFeed);
}

TEST_F(FetchFromServer, FailsOnAnHttpErrorStatus) {
  EXPECT_EQ(FetchError(Url("/missing")), Url("/missing") + ": HTTP status 404");
  EXPECT_EQ(FetchError(Url("/broken")), Url("/broken") + ": HTTP status 500");
}

TEST_F(FetchFromServer, GivesUpOnARedirectLoop) {
  const std::string error = FetchError(Url("/loop"));
  EXPECT_EQ(error.rfind(Url("/loop") + ": too many redirects", 0), 0u) << error;
}

TEST_F(FetchFromServer, RefusesARedirectToAFile) {
  const std::string error = FetchError(Url("/tofile"));
  EXPECT_EQ(error.rfind(Url("/tofile") + ": unsupported scheme", 0), 0u) << error;
}

TEST_F(FetchFromServer, TimesOutOnASlowServer) {
  TFetchOptions options;
  options.TimeoutSeconds = 1;
  const std::string error = FetchError(Url("/slow"), options);
  EXPECT_EQ(error.rfind(Url("/slow") + ": timed out", 0), 0u) << error;
}

TEST_F(FetchFromServer, EndsASilentTransferSoonAfterItIsAborted) {
  std::atomic<bool> abort{false};
  TFetchOptions options;
  options.Aborted = [&abort] { return abort.load(); };
  // A fetch that missed the abort ends with the timeout instead.
  options.TimeoutSeconds = 20;
  // Asked for once the server holds the request, so the transfer is silent by then.
  std::thread aborter([&] {
    while (FServer.Holding() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    abort = true;
  });
  const std::string error = FetchError(Url("/slow"), options);
  aborter.join();
  EXPECT_EQ(error, Url("/slow") + ": aborted");
}

TEST_F(FetchFromServer, RunsATransferWhoseAbortIsNeverAskedForToItsEnd) {
  TFetchOptions options;
  options.Aborted = [] { return false; };
  EXPECT_EQ(FetchAll(Url("/streamed"), options).Body.size(), 64u * 16 * 1024);
  EXPECT_EQ(FetchError(Url("/missing"), options), Url("/missing") + ": HTTP status 404");
  options.TimeoutSeconds = 1;
  const std::string error = FetchError(Url("/slow"), options);
  EXPECT_EQ(error.rfind(Url("/slow") + ": timed out", 0), 0u) << error;
}

TEST_F(FetchFromServer, AbortsADocumentBeyondTheSizeCap) {
  TFetchOptions options;
  options.MaxDocumentSize = 100000;
  for (const char* path : {"/large", "/streamed"})
    EXPECT_EQ(FetchError(Url(path), options),
              Url(path) + ": document too large (more than 100000 bytes)");
  options.MaxDocumentSize = 2 * 1024 * 1024;
  EXPECT_EQ(FetchAll(Url("/streamed"), options).Body.size(), 64u * 16 * 1024);
}

TEST_F(FetchFromServer, DecodesGzipContent) {
  EXPECT_EQ(FetchAll(Url("/gzip")).Body, kFeed);
  TXMLDocument doc;
  doc.LoadFromFile(Url("/gzip"));
  EXPECT_EQ(doc.DocumentElement().NodeName(), "rss");
}

TEST_F(FetchFromServer, ReportsProgressUpToTheKnownTotal) {
  std::vector<std::pair<uint64_t, uint64_t>> calls;
  const TFetched fetched = FetchAll(Url("/large"), {}, [&calls](uint64_t now, uint64_t total) {
    calls.emplace_back(now, total);
  });
  EXPECT_EQ(fetched.Body, LargeFeed(300000));
  // The counts are of bytes on the wire, which the server may have compressed.
  ASSERT_FALSE(calls.empty());
  EXPECT_GT(calls.back().second, 0u);
  EXPECT_EQ(calls.back().first, calls.back().second);
  for (size_t i = 1; i < calls.size(); ++i) EXPECT_GE(calls[i].first, calls[i - 1].first);
}

TEST_F(FetchFromServer, LetsAFailingProgressCallbackEndTheFetch) {
  EXPECT_THROW(FetchAll(Url("/large"), {}, [](uint64_t, uint64_t) { throw Exception("stop"); }),
               Exception);
}

TEST_F(FetchFromServer, StopsAtTheFirstWellFormednessError) {
  TXMLDocument doc;
  try {
    doc.LoadFromFile(Url("/garbage"));
    ADD_FAILURE() << "no error";
  } catch (const EXMLDocError& e) {
    EXPECT_EQ(std::string(e.what()).rfind(Url("/garbage") + ": not well-formed (line 1", 0), 0u)
        << e.what();
  }
  EXPECT_FALSE(doc.IsLoaded());
}

TEST_F(FetchFromServer, ReadsTheServedCharsetWhenTheDocumentNamesNone) {
  struct TCase {
    std::string File, Type, Result;
  };
  const std::vector<TCase> cases = {
      {"rss2-latin1-undeclared.xml", "text/xml; charset=ISO-8859-1", "Café au lait"},
      {"rss2-latin1-undeclared.xml", "application/rss+xml;charset=\"Windows-1252\"",
       "Café au lait"},
      {"rss2-utf8-declared.xml", "text/xml; charset=ISO-8859-1", "Café"},
      {"rss2-utf8-bom-declares-iso-8859-1.xml", "text/xml; charset=ISO-8859-1", "Café"},
      {"rss2-utf32be-no-bom.xml", "text/xml; charset=ISO-8859-1", "Café ☕ 𝄞"},
      {"rss2-iso-8859-1-with-cp1252-punctuation.xml", "text/xml; charset=UTF-8", "“Café” – 5 €"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.File + " as " + c.Type);
    EXPECT_EQ(TitleOrError(Url("/served/" + c.File + "?type=" + QueryEncoded(c.Type))), c.Result);
  }
  const std::string undeclared = Url("/served/rss2-latin1-undeclared.xml?type=text/xml");
  EXPECT_NE(TitleOrError(undeclared).find("not proper UTF-8"), std::string::npos);
}

TEST_F(FetchFromServer, FailsOnEveryFinalStatusOutsideTwoHundreds) {
  for (const char* status : {"300", "301", "302", "303", "304", "307", "308", "404", "500"})
    EXPECT_EQ(FetchError(Url("/status/") + status),
              Url("/status/") + status + ": HTTP status " + status);
  EXPECT_EQ(FetchAll(Url("/status/203")).Body, kFeed);
}

TEST_F(FetchFromServer, ReadsNoContentAndAnEmptyBodyAsAnEmptyDocument) {
  for (const char* path : {"/status/204", "/empty"})
    EXPECT_EQ(TitleOrError(Url(path)), Url(path) + ": not well-formed: the document is empty");
}

// libcurl measures the speed once a second, so the stall times here are two seconds.
TEST_F(FetchFromServer, LetsASteadyTransferRunPastTheStallTimeout) {
  TFetchOptions options;
  options.StallTimeoutSeconds = 2;
  options.TimeoutSeconds = 30;
  const std::string link = Url("/paced?pause=300&pieces=12");
  EXPECT_EQ(FetchAll(link, options).Body, kFeed);
}

TEST_F(FetchFromServer, TimesOutWhenNoByteComesForTheStallTime) {
  TFetchOptions options;
  options.StallTimeoutSeconds = 2;
  options.TimeoutSeconds = 60;
  for (const char* path : {"/slow", "/paced?pause=600000&pieces=2"}) {
    const auto start = std::chrono::steady_clock::now();
    const std::string error = FetchError(Url(path), options);
    EXPECT_EQ(error.rfind(Url(path) + ": timed out", 0), 0u) << error;
    // Ended by the stall timeout, then, not by the whole transfer's limit.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
  }
}

TEST_F(FetchFromServer, SaysWhenTheProxyCannotBeReached) {
  const std::string proxy = "http://127.0.0.1:" + std::to_string(ClosedPort());
  setenv("http_proxy", proxy.c_str(), 1);
  unsetenv("no_proxy");
  unsetenv("NO_PROXY");
  const std::string error = FetchError(Url("/feed"));
  unsetenv("http_proxy");
  EXPECT_EQ(error.rfind(Url("/feed") + ": could not connect to the proxy", 0), 0u) << error;
  const std::string direct = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/feed";
  EXPECT_EQ(FetchError(direct).rfind(direct + ": could not connect (", 0), 0u)
      << FetchError(direct);
}

TEST(Fetch, ReportsAHostThatCannotBeFound) {
  TFetchOptions options;
  options.ConnectTimeoutSeconds = 5;
  options.TimeoutSeconds = 5;
  const std::string error = FetchError("http://vantle-test.invalid/feed.xml", options);
  EXPECT_EQ(error.rfind("http://vantle-test.invalid/feed.xml: ", 0), 0u) << error;
  EXPECT_NE(error.find("host not found"), std::string::npos) << error;
}

TEST(Fetch, RefusesOtherSchemes) {
  EXPECT_EQ(FetchError("ftp://example.com/feed.xml"),
            "ftp://example.com/feed.xml: unsupported scheme \"ftp\"");
  EXPECT_EQ(FetchError("FEED:http://example.com/"),
            "FEED:http://example.com/: unsupported scheme \"feed\"");
  EXPECT_EQ(FetchError("javascript:alert(1)"),
            "javascript:alert(1): unsupported scheme \"javascript\"");
}

TEST(Fetch, TellsWebAddressesApart) {
  EXPECT_TRUE(TFeedFetcher::IsWebAddress("http://example.com/"));
  EXPECT_TRUE(TFeedFetcher::IsWebAddress("HTTPS://example.com/"));
  EXPECT_FALSE(TFeedFetcher::IsWebAddress("file:///tmp/a.xml"));
  EXPECT_FALSE(TFeedFetcher::IsWebAddress("/tmp/http://a.xml"));
  EXPECT_FALSE(TFeedFetcher::IsWebAddress("httpx://example.com/"));
  EXPECT_FALSE(TFeedFetcher::IsWebAddress(""));
}

class FetchFromDisk : public testing::Test {
 protected:
  void SetUp() override {
    FDir = fs::temp_directory_path() / ("vantle_fetch_" + std::to_string(::getpid()));
    fs::create_directories(FDir);
  }
  void TearDown() override { fs::remove_all(FDir); }

  fs::path Write(const std::string& name, const std::string& content) {
    const fs::path path = FDir / name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  fs::path FDir;
};

TEST_F(FetchFromDisk, ReadsAPlainPathInChunksWithProgress) {
  const std::string content = LargeFeed(200000);
  const std::string path = Write("feed.xml", content).string();
  std::vector<std::pair<uint64_t, uint64_t>> calls;
  const TFetched fetched = FetchAll(
      path, {}, [&calls](uint64_t now, uint64_t total) { calls.emplace_back(now, total); });
  EXPECT_EQ(fetched.Body, content);
  EXPECT_GT(fetched.Chunks, 1);
  ASSERT_EQ(calls.size(), static_cast<size_t>(fetched.Chunks));
  EXPECT_EQ(calls.back(), std::make_pair(uint64_t{content.size()}, uint64_t{content.size()}));
  EXPECT_LT(calls.front().first, content.size());
}

TEST_F(FetchFromDisk, ReadsFileUrlsWithPercentEscapes) {
  const std::string path = Write("my feed%.xml", kFeed).string();
  std::string escaped;
  for (char c : path) escaped += c == ' ' ? "%20" : c == '%' ? "%25" : std::string(1, c);
  EXPECT_EQ(FetchAll("file://" + escaped).Body, kFeed);
  EXPECT_EQ(FetchAll("FILE://localhost" + escaped).Body, kFeed);
  EXPECT_EQ(FetchAll("file:" + escaped).Body, kFeed);
}

TEST_F(FetchFromDisk, RefusesFileUrlsItCannotMapToAPath) {
  const std::string path = Write("a.xml", kFeed).string();
  EXPECT_EQ(FetchError("file://server" + path),
            "file://server" + path + ": file URLs of other hosts are not read");
  EXPECT_EQ(FetchError("file://" + path + "%2"), "file://" + path + "%2: malformed file URL");
  EXPECT_EQ(FetchError("file://" + path + "%00"), "file://" + path + "%00: malformed file URL");
  EXPECT_EQ(FetchError("file:a.xml"), "file:a.xml: malformed file URL");
}

TEST_F(FetchFromDisk, NamesTheLinkAndTheCauseOfAFailure) {
  const std::string missing = (FDir / "missing.xml").string();
  EXPECT_EQ(FetchError(missing), missing + ": cannot open the file: No such file or directory");
  EXPECT_EQ(FetchError(FDir.string()), FDir.string() + ": is a directory, not a file");
}

TEST_F(FetchFromDisk, AppliesTheSizeCapToFiles) {
  const std::string path = Write("big.xml", LargeFeed(300000)).string();
  TFetchOptions options;
  options.MaxDocumentSize = 100000;
  EXPECT_EQ(FetchError(path, options), path + ": document too large (more than 100000 bytes)");
}

TEST_F(FetchFromDisk, HandsAnEmptyFileToTheParserAsAnEmptyDocument) {
  const std::string path = Write("empty.xml", "").string();
  EXPECT_EQ(FetchAll(path).Chunks, 0);
  TXMLDocument doc;
  try {
    doc.LoadFromFile(path);
    ADD_FAILURE() << "no error";
  } catch (const EXMLDocError& e) {
    EXPECT_EQ(std::string(e.what()), path + ": not well-formed: the document is empty");
  }
}

TEST_F(FetchFromDisk, FeedsTheDocumentFromDiskToTheParser) {
  const std::string path = Write("feed.xml", LargeFeed(200000)).string();
  TXMLDocument doc;
  int calls = 0;
  doc.OnProgress = [&calls](uint64_t, uint64_t) { ++calls; };
  doc.LoadFromFile(path);
  EXPECT_GT(calls, 1);
  IXMLNode& channel = doc.DocumentElement().ChildNodes().Nodes(0);
  EXPECT_GT(channel.ChildNodes().Count(), 1000);
  EXPECT_EQ(channel.ChildNodes().Nodes(0).NodeValue().AsString(), "big");
}

TEST_F(FetchFromServer, FailsWithoutARequestWhenLibcurlRefusesAnyOption) {
  ASSERT_TRUE(CurlLibrary().Library);
  TCurlLibrary refusing = *CurlLibrary().Library;
  refusing.EasySetopt = RefusingSetopt;
  const CURLoption options[] = {CURLOPT_PROTOCOLS_STR,     CURLOPT_REDIR_PROTOCOLS_STR,
                                CURLOPT_SSL_VERIFYPEER,    CURLOPT_HTTPHEADER,
                                CURLOPT_MAXFILESIZE_LARGE, CURLOPT_WRITEFUNCTION};
  for (const CURLoption option : options) {
    gRefusedOption = option;
    const std::string error = FetchError(Url("/feed"), {.Curl = &refusing});
    EXPECT_TRUE(error.starts_with(Url("/feed") + ": the HTTP client refused a setting"))
        << option << ": " << error;
  }
  EXPECT_EQ(FServer.RequestsFor("/feed"), 0);
  gRefusedOption = CURLOPT_LASTENTRY;
  EXPECT_EQ(FetchAll(Url("/feed"), {.Curl = &refusing}).Body, kFeed);
}

TEST_F(FetchFromServer, ReportsAFailingMultiInterfaceAsItselfNotAsAnAbort) {
  ASSERT_TRUE(CurlLibrary().Library);
  TCurlLibrary failing = *CurlLibrary().Library;
  failing.MultiPoll = FailingPoll;
  TFetchOptions options{.Aborted = [] { return false; }, .Curl = &failing};
  EXPECT_EQ(FetchError(Url("/slow"), options),
            Url("/slow") + ": the HTTP client failed (Out of memory)");
}

}  // namespace
}  // namespace vantle
