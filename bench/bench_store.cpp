// Loads, sorts and saves a group of 32,768 feeds through the reader window's own store
// code, and prints how long each step takes.
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <string>

#include "GridControl.h"
#include "UfrmControl.h"

namespace {

constexpr int FeedCount = 32768;
constexpr int Rounds = 5;

std::string RandomTitle(std::mt19937& random) {
  static const char letters[] = "abcdefghijklmnopqrstuvwxyz ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::uniform_int_distribution<int> length(8, 60);
  std::uniform_int_distribution<int> letter(0, sizeof letters - 2);
  std::string title;
  for (int i = length(random); i > 0; --i) title += letters[letter(random)];
  return title;
}

// A group file of FeedCount feeds in random order, as another program might leave it.
void WriteUnsortedGroup(const QString& path) {
  std::mt19937 random(20240601);
  vantle::TGridControl grid;
  grid.SetColCount(3);
  grid.SetRowCount(FeedCount);
  for (int row = 0; row < FeedCount; ++row) {
    grid.SetCells(0, row, "https://feeds.example.org/" + std::to_string(random()) + "/rss.xml");
    grid.SetCells(2, row, RandomTitle(random));
    grid.SetRowHeights(row, 35);
  }
  const std::string bytes = grid.SaveToBytes();
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
          static_cast<qint64>(bytes.size())) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    std::exit(1);
  }
  std::printf("group file: %d feeds, %zu bytes\n", FeedCount, bytes.size());
}

// The best of Rounds runs of `step`, in milliseconds; `prepare` runs untimed before each.
double BestMilliseconds(const std::function<void()>& prepare, const std::function<void()>& step) {
  double best = 1e300;
  for (int round = 0; round < Rounds; ++round) {
    prepare();
    const auto start = std::chrono::steady_clock::now();
    step();
    const std::chrono::duration<double, std::milli> elapsed =
        std::chrono::steady_clock::now() - start;
    best = std::min(best, elapsed.count());
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (::geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication application(argc, argv);

  QTemporaryDir data;
  WriteUnsortedGroup(data.filePath(QStringLiteral("Bench.dat")));
  vantle::TfrmControl window(data.path().toStdString());

  const auto nothing = [] {};
  const double load = BestMilliseconds(nothing, [&] { window.LoadGroup(); });
  const double sort = BestMilliseconds([&] { window.LoadGroup(); }, [&] { window.SortFeeds(); });
  const double sortSorted = BestMilliseconds(nothing, [&] { window.SortFeeds(); });
  const double save = BestMilliseconds(nothing, [&] { window.SaveGroup(); });
  std::printf("LoadGroup            %9.1f ms\n", load);
  std::printf("SortFeeds (shuffled) %9.1f ms\n", sort);
  std::printf("SortFeeds (sorted)   %9.1f ms\n", sortSorted);
  std::printf("SaveGroup            %9.1f ms\n", save);
  std::printf("(best of %d runs each)\n", Rounds);
  return 0;
}
