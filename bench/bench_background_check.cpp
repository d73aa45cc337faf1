// The window's background check ("Check all feeds") over the check benchmark's 1,000
// subscriptions on 50 loopback hosts while the window repaints its feed list as often as it
// can: prints the repaints per second before and during the check (goal: at least 30 during
// it, so that the check costs the window nothing) and the check's time beside vantle-feed
// check alone over the same subscriptions.

#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "BenchFeeds.h"
#include "CheckSchedule.h"
#include "FeedHosts.h"
#include "GridControl.h"
#include "UfrmControl.h"
#include "WindowCheck.h"
#include "store/FeedStateDb.h"

namespace {

namespace fs = std::filesystem;
constexpr double RepaintGoal = 30;
constexpr int IdleMilliseconds = 2000;

// Repaints the window's feed list whenever the event loop is free, counting the repaints.
class TRepainter {
 public:
  explicit TRepainter(vantle::TfrmControl& window) {
    QObject::connect(&FTimer, &QTimer::timeout, [this, &window] {
      window.FeedGrid->viewport()->repaint();
      ++Count;
    });
    FTimer.start(0);
  }
  int Count = 0;

 private:
  QTimer FTimer;
};

// The repaints per second while `running` holds, and the seconds it held.
std::pair<double, double> RepaintsWhile(vantle::TfrmControl& window,
                                        const std::function<bool()>& running) {
  TRepainter repainter(window);
  QElapsedTimer clock;
  clock.start();
  while (running()) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  const double seconds = clock.nsecsElapsed() / 1e9;
  return {repainter.Count / seconds, seconds};
}

double ToolCheckSeconds(const fs::path& dataDir) {
  QProcess tool;
  tool.setStandardOutputFile(QProcess::nullDevice());
  QElapsedTimer clock;
  clock.start();
  tool.start(VANTLE_FEED_TOOL, {"check", "--data", QString::fromStdString(dataDir.string())});
  if (!tool.waitForFinished(-1) || tool.exitCode() != 0)
    throw std::runtime_error("vantle-feed check failed");
  return clock.nsecsElapsed() / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (::geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication application(argc, argv);
  try {
    QTemporaryDir dir;
    const fs::path root = dir.path().toStdString();
    vantle::bench::WriteFeed(root / "feed.xml", vantle::bench::TFormat::RSS,
                             vantle::bench::CheckItems);
    std::ifstream feedFile(root / "feed.xml", std::ios::binary);
    const vantle::bench::TFeedHosts hosts(
        std::string(std::istreambuf_iterator<char>(feedFile), {}));
    const std::string data = (root / "window").string() + "/";
    vantle::bench::WriteCheckSubscriptions(data);
    vantle::bench::WriteCheckSubscriptions(root / "tool");
    vantle::TFeedStateDb(data).SetSetting(vantle::CheckIntervalKey, "0");

    vantle::TfrmControl window(data);
    window.show();
    QElapsedTimer idle;
    idle.start();
    const auto [idleRate, idleSeconds] =
        RepaintsWhile(window, [&] { return idle.elapsed() < IdleMilliseconds; });
    window.WindowCheck().CheckAllFeeds(false);
    const auto [checkRate, checkSeconds] =
        RepaintsWhile(window, [&] { return window.WindowCheck().Checking(); });
    const double toolSeconds = ToolCheckSeconds(root / "tool");

    std::printf("%d feeds on %d hosts, %lld ms per answer\n", vantle::bench::CheckFeeds,
                vantle::bench::CheckHosts,
                static_cast<long long>(vantle::bench::CheckAnswerDelay.count()));
    std::printf("repaints per second, idle           %8.1f (%.1f s)\n", idleRate, idleSeconds);
    std::printf("repaints per second, during a check %8.1f\n", checkRate);
    std::printf("the window's check                  %8.2f s\n", checkSeconds);
    std::printf("vantle-feed check alone             %8.2f s\n", toolSeconds);
    std::printf("goal %-40s %s\n", "at least 30 repaints a second in a check",
                checkRate >= RepaintGoal ? "met" : "MISSED");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bench_background_check: %s\n", error.what());
    return 1;
  }
  return 0;
}
