#include <gtest/gtest.h>
#include <httplib.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ModelJson.h"
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

// A server on loopback, listening on its own thread until destroyed.
template <typename TServer>
class TRunning {
 public:
  template <typename... TArgs>
  explicit TRunning(TArgs&&... args) : Server(std::forward<TArgs>(args)...) {}
  ~TRunning() {
    Server.stop();
    if (FThread.joinable()) FThread.join();
  }
  int Start() {
    const int port = Server.bind_to_any_port("127.0.0.1");
    FThread = std::thread([this] { Server.listen_after_bind(); });
    for (int i = 0; i < 200 && !Server.is_running(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return port;
  }

  TServer Server;

 private:
  std::thread FThread;
};

class TlsShow : public testing::Test {
 protected:
  static void SetUpTestSuite() { Certificates = std::make_unique<TCertificates>(); }
  static void TearDownTestSuite() { Certificates.reset(); }

  void SetUp() override {
    if (!Certificates->Made) GTEST_SKIP() << "the openssl command could not make certificates";
  }

  // Serves the feed over TLS with the certificate `name`.pem; returns its https link.
  std::string ServeFeed(TRunning<httplib::SSLServer>& tls) {
    tls.Server.Get("/feed", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(kFeed, "application/rss+xml");
    });
    return "https://127.0.0.1:" + std::to_string(tls.Start()) + "/feed";
  }

  // The result record vantle-feed show prints for `link` under `environment`.
  static TJson Show(const std::string& link, TEnvironment environment) {
    for (const char* name : {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
      environment.emplace_back(name, std::nullopt);
    const TRun run = RunTool({"show", link}, environment);
    EXPECT_EQ(run.Status, run.Out.find("\"ok\":true") != std::string::npos ? 0 : 1) << run.Err;
    return TJson::parse(run.Out.substr(0, run.Out.find('\n')));
  }

  static inline std::unique_ptr<TCertificates> Certificates;
};

const TEnvironment kNoCertificateVariables = {{"SSL_CERT_FILE", std::nullopt},
                                              {"SSL_CERT_DIR", std::nullopt}};

TEST_F(TlsShow, RefusesASelfSignedCertificateSayingSo) {
  TRunning<httplib::SSLServer> tls(Certificates->Path("self.pem").c_str(),
                                   Certificates->Path("self.key").c_str());
  const std::string link = ServeFeed(tls);
  const TJson result = Show(link, kNoCertificateVariables);
  EXPECT_FALSE(result["ok"].get<bool>());
  const std::string error = result["error"].get<std::string>();
  EXPECT_EQ(error.rfind(link + ": the server's certificate is not trusted", 0), 0u) << error;
  EXPECT_NE(error.find("self-signed"), std::string::npos) << error;
}

TEST_F(TlsShow, TrustsTheCaNamedBySslCertFileOrSslCertDirAndNoOtherwise) {
  TRunning<httplib::SSLServer> tls(Certificates->Path("server.pem").c_str(),
                                   Certificates->Path("server.key").c_str());
  const std::string link = ServeFeed(tls);
  struct TCase {
    TEnvironment Environment;
    bool Trusted;
  };
  const std::vector<TCase> cases = {
      {kNoCertificateVariables, false},
      {{{"SSL_CERT_FILE", Certificates->Path("ca.pem")}, {"SSL_CERT_DIR", std::nullopt}}, true},
      {{{"SSL_CERT_FILE", std::nullopt}, {"SSL_CERT_DIR", Certificates->Path("certs")}}, true},
      {{{"SSL_CERT_FILE", Certificates->Path("self.pem")}, {"SSL_CERT_DIR", std::nullopt}}, false},
  };
  for (const TCase& c : cases) {
    const TJson result = Show(link, c.Environment);
    SCOPED_TRACE(result.dump());
    EXPECT_EQ(result["ok"].get<bool>(), c.Trusted);
    if (c.Trusted) EXPECT_EQ(result["model"]["Channel"]["Required"]["Title"], "Secure");
  }
}

TEST_F(TlsShow, FollowsARedirectFromHttpToHttps) {
  TRunning<httplib::SSLServer> tls(Certificates->Path("server.pem").c_str(),
                                   Certificates->Path("server.key").c_str());
  const std::string secure = ServeFeed(tls);
  TRunning<httplib::Server> plain;
  plain.Server.Get("/feed", [&secure](const httplib::Request&, httplib::Response& res) {
    res.set_redirect(secure, 301);
  });
  const std::string link = "http://127.0.0.1:" + std::to_string(plain.Start()) + "/feed";
  const TJson result = Show(link, {{"SSL_CERT_FILE", Certificates->Path("ca.pem")}});
  EXPECT_TRUE(result["ok"].get<bool>()) << result.dump();
  EXPECT_EQ(result["model"]["Channel"]["Required"]["Title"], "Secure");
}

}  // namespace
}  // namespace vantle::tool
