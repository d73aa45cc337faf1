#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ModelJson.h"
#include "support/LoopbackServer.h"
#include "support/RunTool.h"

namespace vantle::tool {
namespace {

namespace fs = std::filesystem;

const std::string kFeed =
    "<rss version='2.0'><channel><title>Secure</title><link>https://127.0.0.1/</link>"
    "<description>d</description></channel></rss>";

// Runs the openssl command with `args` in `dir`; true when it succeeded.
bool OpenSsl(const fs::path& dir, const std::string& args) {
  const std::string command = "cd '" + dir.string() + "' && openssl " + args + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

// A test CA, a server certificate it signed for 127.0.0.1 and a self-signed one, made once
// in a scratch directory, with the CA also in a hashed certificate directory.
class TCertificates {
 public:
  TCertificates() {
    char pattern[] = "/tmp/vantle-tls-test-XXXXXX";
    if (!mkdtemp(pattern)) return;
    Dir = pattern;
    fs::create_directory(Dir / "certs");
    const std::string names = "-addext subjectAltName=IP:127.0.0.1,DNS:localhost";
    Made = OpenSsl(Dir,
                   "req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=Vantle-Test-CA "
                   "-keyout ca.key -out ca.pem") &&
           OpenSsl(Dir, "req -newkey rsa:2048 -nodes -subj /CN=127.0.0.1 " + names +
                            " -keyout server.key -out server.csr") &&
           OpenSsl(Dir,
                   "x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial "
                   "-days 2 -copy_extensions copy -out server.pem") &&
           OpenSsl(Dir, "req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 " + names +
                            " -keyout self.key -out self.pem") &&
           fs::copy_file(Dir / "ca.pem", Dir / "certs" / "ca.pem") && OpenSsl(Dir, "rehash certs");
  }
  ~TCertificates() {
    if (!Dir.empty()) fs::remove_all(Dir);
  }
  std::string Path(const std::string& name) const { return (Dir / name).string(); }

  fs::path Dir;
  bool Made = false;
};

class TlsShow : public testing::Test {
 protected:
  static void SetUpTestSuite() { Certificates = std::make_unique<TCertificates>(); }
  static void TearDownTestSuite() { Certificates.reset(); }
  void SetUp() override {
    ASSERT_TRUE(Certificates->Made) << "the openssl command could not make certificates";
  }

  // Serves the feed over TLS with the certificate `name`.pem and its key; returns its link.
  std::string ServeFeed(const std::string& name) {
    test::TLoopbackServer& server =
        *FServers.emplace_back(std::make_unique<test::TLoopbackServer>(test::TLoopbackServer::TTls{
            Certificates->Path(name + ".pem"), Certificates->Path(name + ".key")}));
    server.Serve("/feed", "application/rss+xml", kFeed);
    return server.Url("/feed");
  }

  // Redirects plain HTTP to `secure`; returns the plain link.
  std::string ServeRedirectTo(const std::string& secure) {
    test::TLoopbackServer& server =
        *FServers.emplace_back(std::make_unique<test::TLoopbackServer>());
    server.Answer("/feed", test::TReply::Redirect(secure, 301));
    return server.Url("/feed");
  }

  // The record vantle-feed show prints for `link` with `environment` and no proxy.
  static TJson Show(const std::string& link, TEnvironment environment) {
    for (const char* name : {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
      environment.emplace_back(name, std::nullopt);
    const TRun run = RunTool({"show", link}, environment);
    EXPECT_EQ(run.Status, run.Out.find("\"ok\":true") != std::string::npos ? 0 : 1) << run.Err;
    return TJson::parse(run.Out.substr(0, run.Out.find('\n')));
  }

  static inline std::unique_ptr<TCertificates> Certificates;

 private:
  std::vector<std::unique_ptr<test::TLoopbackServer>> FServers;
};

TEST_F(TlsShow, TrustsOnlyTheCaNamedBySslCertFileOrSslCertDir) {
  const std::string self = ServeFeed("self"), signed_ = ServeFeed("server");
  const TEnvironment none = {{"SSL_CERT_FILE", std::nullopt}, {"SSL_CERT_DIR", std::nullopt}};
  const TEnvironment file = {{"SSL_CERT_FILE", Certificates->Path("ca.pem")}};
  const TEnvironment dir = {{"SSL_CERT_FILE", std::nullopt},
                            {"SSL_CERT_DIR", Certificates->Path("certs")}};
  const TEnvironment wrong = {{"SSL_CERT_FILE", Certificates->Path("self.pem")}};
  struct TCase {
    std::string Link;
    TEnvironment Environment;
    std::string Error;  // how the error starts after the link; empty for a load
  };
  const std::vector<TCase> cases = {
      {self, none,
       ": the server's certificate is not trusted (SSL certificate problem: self-signed"},
      {signed_, none, ": the server's certificate is not trusted"},
      {signed_, wrong, ": the server's certificate is not trusted"},
      {signed_, file, ""},
      {signed_, dir, ""},
      {ServeRedirectTo(signed_), file, ""},
  };
  for (const TCase& c : cases) {
    const TJson result = Show(c.Link, c.Environment);
    SCOPED_TRACE(result.dump());
    EXPECT_EQ(result["ok"].get<bool>(), c.Error.empty());
    if (c.Error.empty())
      EXPECT_EQ(result["model"]["Channel"]["Required"]["Title"], "Secure");
    else
      EXPECT_EQ(result["error"].get<std::string>().rfind(c.Link + c.Error, 0), 0u);
  }
}

}  // namespace
}  // namespace vantle::tool
