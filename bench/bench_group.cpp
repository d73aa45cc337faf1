// Writes and reads a group file of the largest size the format holds, and prints the times.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "store/GridStream.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string WriteGroup(int feeds) {
  vantle::TGridProps props{
      3, feeds, {0, 10, 176}, std::vector<int>(feeds, 35), true, vantle::GridStreamID()};
  vantle::TGridWriter writer;
  writer.WriteProps(props);
  for (int row = 0; row < feeds; ++row) {
    writer.WriteCell(0, row, "http://news.example.com/feeds/" + std::to_string(row) + ".xml");
    writer.WriteCell(2, row, "Caf\xC3\xA9 news, part " + std::to_string(row));
  }
  return writer.Bytes();
}

}  // namespace

int main() {
  const int feeds = vantle::GridMaxRows;
  constexpr int Runs = 5;
  double best_write = 1e9;
  double best_read = 1e9;
  std::size_t size = 0;
  std::size_t cells = 0;
  for (int run = 0; run < Runs; ++run) {
    auto start = Clock::now();
    const std::string bytes = WriteGroup(feeds);
    best_write = std::min(best_write, MillisecondsSince(start));
    size = bytes.size();
    start = Clock::now();
    cells = 0;
    vantle::ReadGridStream(
        bytes, [](const vantle::TGridProps&) {}, [&](const vantle::TGridCell&) { ++cells; });
    best_read = std::min(best_read, MillisecondsSince(start));
  }
  std::printf("group file of %d feeds: %zu bytes, %zu cell records\n", feeds, size, cells);
  std::printf("write: %.1f ms  read: %.1f ms  (best of %d)\n", best_write, best_read, Runs);
  return cells == static_cast<std::size_t>(2 * feeds) ? 0 : 1;
}
