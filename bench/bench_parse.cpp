// Loads generated RSS 2.0, RDF and Atom feeds through TSimpleRSS::LoadFromLink and prints
// items/s, MB/s and peak memory next to libxml2's bare DOM parse of the same file, and the
// time of a tolerant load, which these feeds need no tolerance for. Each
// measurement runs in a fresh process so that its peak memory is its own.
//
//   bench_parse            generate the feeds in a temporary folder and print the table
//   bench_parse --keep     the same, keeping the folder

#include <libxml/parser.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "BenchFeeds.h"
#include "SimpleRSS.h"

namespace {

namespace fs = std::filesystem;
using vantle::TSimpleRSS;
using vantle::bench::NameOf;
using vantle::bench::TFormat;
using vantle::bench::WriteFeed;

long PeakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// The options the document layer gives libxml2, plus the compact text storage that makes
// libxml2's own tree its smallest and fastest.
constexpr int kLibxmlOptions =
    XML_PARSE_NONET | XML_PARSE_NOENT | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_COMPACT;

// One parse or load of `file` ("libxml2", "vantle" or "tolerant"); returns the item count
// (0 for libxml2 alone).
int RunOnce(std::string_view what, const std::string& file) {
  if (what == "libxml2") {
    xmlDocPtr doc = xmlReadFile(file.c_str(), nullptr, kLibxmlOptions);
    if (doc == nullptr) throw std::runtime_error("libxml2 could not parse " + file);
    xmlFreeDoc(doc);
    return 0;
  }
  TSimpleRSS rss;
  rss.Tolerant = what == "tolerant";
  rss.LoadFromLink(file);
  return rss.Items().Count();
}

// Child mode: the best time of several runs, then the peak and the idle memory.
int Measure(std::string_view what, const std::string& file) {
  xmlInitParser();
  const long idle = PeakKilobytes();
  double best = 1e30;
  int items = 0;
  double spent = 0;
  for (int run = 0; run < 50 && (run < 5 || spent < 1.0); ++run) {
    const auto start = std::chrono::steady_clock::now();
    items = RunOnce(what, file);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    best = std::min(best, seconds);
    spent += seconds;
  }
  std::printf("%.6f %ld %ld %d\n", best, PeakKilobytes(), idle, items);
  return 0;
}

struct TResult {
  double Seconds = 0;
  long PeakKB = 0;
  long IdleKB = 0;
  int Items = 0;
};

TResult MeasureInChild(const std::string& self, std::string_view what, const fs::path& file) {
  const std::string command =
      "'" + self + "' --measure " + std::string(what) + " '" + file.string() + "'";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("cannot run " + command);
  TResult result;
  const int read = std::fscanf(pipe, "%lf %ld %ld %d", &result.Seconds, &result.PeakKB,
                               &result.IdleKB, &result.Items);
  if (pclose(pipe) != 0 || read != 4) throw std::runtime_error("failed: " + command);
  return result;
}

std::string SelfPath() {
  std::error_code error;
  fs::path self = fs::read_symlink("/proc/self/exe", error);
  if (error) throw std::runtime_error("cannot find this program: " + error.message());
  return self.string();
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc == 4 && std::string_view(argv[1]) == "--measure") return Measure(argv[2], argv[3]);
    const bool keep = argc == 2 && std::string_view(argv[1]) == "--keep";
    const std::string self = SelfPath();
    char pattern[] = "/tmp/vantle-bench-parse-XXXXXX";
    if (mkdtemp(pattern) == nullptr) throw std::runtime_error("cannot make a temporary folder");
    const fs::path dir = pattern;

    std::printf("%-8s %6s %8s %10s %10s %6s %10s %8s %9s %7s %11s\n", "format", "items", "MB",
                "libxml2 s", "load s", "ratio", "items/s", "MB/s", "peak MB", "x file",
                "tolerant s");
    for (TFormat format : {TFormat::RSS, TFormat::RDF, TFormat::Atom}) {
      for (int items : {200, 2000, 20000}) {
        const fs::path file =
            dir / (std::string(NameOf(format)).substr(0, 3) + std::to_string(items) + ".xml");
        WriteFeed(file, format, items);
        const double megabytes = static_cast<double>(fs::file_size(file)) / 1e6;
        const TResult bare = MeasureInChild(self, "libxml2", file);
        const TResult load = MeasureInChild(self, "vantle", file);
        const TResult tolerant = MeasureInChild(self, "tolerant", file);
        if (load.Items != items || tolerant.Items != items)
          throw std::runtime_error("wrong item count in " + file.string());
        const double peakMB = static_cast<double>(load.PeakKB - load.IdleKB) * 1024 / 1e6;
        std::printf("%-8s %6d %8.2f %10.4f %10.4f %6.2f %10.0f %8.1f %9.1f %7.2f %11.4f\n",
                    NameOf(format), items, megabytes, bare.Seconds, load.Seconds,
                    load.Seconds / bare.Seconds, items / load.Seconds, megabytes / load.Seconds,
                    peakMB, peakMB / megabytes, tolerant.Seconds);
        const double barePeakMB = static_cast<double>(bare.PeakKB - bare.IdleKB) * 1024 / 1e6;
        std::printf("%-8s %6s %8s %10s %10s %6s %10s %8s %9.1f %7.2f  (libxml2 alone)\n", "", "",
                    "", "", "", "", "", "", barePeakMB, barePeakMB / megabytes);
      }
    }
    if (keep)
      std::printf("feeds kept in %s\n", dir.c_str());
    else
      fs::remove_all(dir);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bench_parse: %s\n", error.what());
    return 1;
  }
}
