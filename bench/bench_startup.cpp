// Time from launch to the first painted frame of the reader window, beside a bare Qt Widgets
// window of the same size built with the same flags, both on a virtual X display of their own.
// The two are launched alternately; a frame counts as painted once the window, mapped over a
// black root, shows a pixel that is not black.
//
// Usage: bench_startup [RUNS]   (default 5)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "store/GridStream.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr auto PollInterval = std::chrono::milliseconds(2);
constexpr auto LaunchLimit = std::chrono::seconds(30);
constexpr int FirstGroupFeeds = 40;

// Windows of a program that just ended vanish between two requests: that is no failure.
int IgnoreXError(Display*, XErrorEvent*) {
  return 0;
}

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A virtual display for the life of the object.
class TVirtualDisplay {
 public:
  TVirtualDisplay() {
    for (int number = 90; number < 110 && !FDisplay; ++number) {
      if (fs::exists("/tmp/.X11-unix/X" + std::to_string(number))) continue;
      FName = ":" + std::to_string(number);
      FServer = fork();
      if (FServer == 0) {
        execlp("Xvfb", "Xvfb", FName.c_str(), "-screen", "0", "1280x1024x24", "-br", "-nolisten",
               "tcp", static_cast<char*>(nullptr));
        _exit(127);
      }
      const auto start = Clock::now();
      XSetErrorHandler(IgnoreXError);
      while (!FDisplay && Clock::now() - start < std::chrono::seconds(10)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        FDisplay = XOpenDisplay(FName.c_str());
      }
      if (!FDisplay) Stop();
    }
  }
  TVirtualDisplay(const TVirtualDisplay&) = delete;
  TVirtualDisplay& operator=(const TVirtualDisplay&) = delete;
  ~TVirtualDisplay() {
    if (FDisplay) XCloseDisplay(FDisplay);
    Stop();
  }

  Display* Connection() const { return FDisplay; }
  const std::string& Name() const { return FName; }

  // True when a mapped top-level window of the process `pid`, at least `w` by `h`, shows a
  // pixel that is not black in its top-left quarter.
  bool ShowsPaintedWindow(pid_t pid, int w, int h) const {
    Window root = DefaultRootWindow(FDisplay);
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(FDisplay, root, &root, &parent, &children, &count)) return false;
    bool painted = false;
    for (unsigned i = 0; i < count && !painted; ++i) {
      painted = OwnerOf(children[i]) == pid && IsPainted(children[i], w, h);
    }
    if (children) XFree(children);
    return painted;
  }

 private:
  // The process that made `window`, as its _NET_WM_PID says; 0 when it does not say.
  pid_t OwnerOf(Window window) const {
    const Atom property = XInternAtom(FDisplay, "_NET_WM_PID", False);
    Atom type = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long left = 0;
    unsigned char* data = nullptr;
    pid_t owner = 0;
    if (XGetWindowProperty(FDisplay, window, property, 0, 1, False, XA_CARDINAL, &type, &format,
                           &items, &left, &data) == Success &&
        data && format == 32 && items == 1) {
      owner = static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data));
    }
    if (data) XFree(data);
    return owner;
  }

  bool IsPainted(Window window, int w, int h) const {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(FDisplay, window, &attributes)) return false;
    if (attributes.map_state != IsViewable || attributes.width < w || attributes.height < h) {
      return false;
    }
    XImage* image = XGetImage(FDisplay, window, 0, 0, attributes.width / 2, attributes.height / 2,
                              AllPlanes, ZPixmap);
    if (!image) return false;
    bool painted = false;
    for (int y = 0; y < image->height && !painted; y += 7) {
      for (int x = 0; x < image->width && !painted; x += 7) {
        painted = XGetPixel(image, x, y) != 0;
      }
    }
    XDestroyImage(image);
    return painted;
  }

  void Stop() {
    if (FServer > 0) {
      kill(FServer, SIGTERM);
      waitpid(FServer, nullptr, 0);
      FServer = -1;
    }
  }

  std::string FName;
  pid_t FServer = -1;
  Display* FDisplay = nullptr;
};

// A portable copy of the reader window: the program and its browser module beside a data
// directory holding one group of feeds and the settings, as a user's start-up would find them.
fs::path MakePortableCopy(const fs::path& where) {
  fs::create_directories(where / "Data");
  const fs::path program = where / "vantle";
  fs::copy_file(VANTLE_PROGRAM, program, fs::copy_options::overwrite_existing);
  fs::copy_file(VANTLE_BROWSER_MODULE, where / "libvantle-browser.so",
                fs::copy_options::overwrite_existing);
  vantle::TGridProps props{
      3,    FirstGroupFeeds,       {0, 10, 176}, std::vector<int>(FirstGroupFeeds, 35),
      true, vantle::GridStreamID()};
  vantle::TGridWriter writer;
  writer.WriteProps(props);
  for (int row = 0; row < FirstGroupFeeds; ++row) {
    writer.WriteCell(0, row, "http://news.example.com/feeds/" + std::to_string(row) + ".xml");
    writer.WriteCell(2, row, "News, part " + std::to_string(row));
  }
  std::ofstream(where / "Data" / "News.dat", std::ios::binary) << writer.Bytes();
  std::ofstream(where / "Data" / "Settings.ruv") << "[SETTINGS]\nviewstyle=1\nwd=768\nhg=586\n";
  return program;
}

// Launches `program` on `display` and returns the milliseconds until its window is painted,
// or nothing when it never is. The program is ended before this returns.
std::optional<double> TimeToFirstFrame(const TVirtualDisplay& display, const fs::path& program) {
  const auto start = Clock::now();
  const pid_t child = fork();
  if (child == 0) {
    setenv("DISPLAY", display.Name().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    if (geteuid() == 0) setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
    const int quiet = open("/dev/null", O_WRONLY);
    dup2(quiet, STDOUT_FILENO);
    dup2(quiet, STDERR_FILENO);
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  std::optional<double> elapsed;
  while (Clock::now() - start < LaunchLimit) {
    if (display.ShowsPaintedWindow(child, 500, 400)) {
      elapsed = MillisecondsSince(start);
      break;
    }
    if (waitpid(child, nullptr, WNOHANG) == child) return std::nullopt;
    std::this_thread::sleep_for(PollInterval);
  }
  kill(child, SIGTERM);
  waitpid(child, nullptr, 0);
  return elapsed;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void PrintRow(const char* name, const std::vector<double>& times) {
  std::printf("%-14s", name);
  for (double t : times) std::printf(" %7.0f", t);
  std::printf("   median %6.0f ms\n", Median(times));
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const TVirtualDisplay display;
  if (!display.Connection()) {
    std::fprintf(stderr, "bench_startup: cannot start Xvfb\n");
    return 1;
  }
  const fs::path copy =
      fs::temp_directory_path() / ("vantle-bench-startup-" + std::to_string(getpid()));
  const fs::path vantle = MakePortableCopy(copy);
  std::vector<double> bare;
  std::vector<double> reader;
  bool failed = false;
  // One launch of each first, unmeasured, so that both start from a warm file cache.
  TimeToFirstFrame(display, VANTLE_BARE_WINDOW);
  TimeToFirstFrame(display, vantle);
  for (int run = 0; run < runs && !failed; ++run) {
    const auto a = TimeToFirstFrame(display, VANTLE_BARE_WINDOW);
    const auto b = TimeToFirstFrame(display, vantle);
    failed = !a || !b;
    if (a) bare.push_back(*a);
    if (b) reader.push_back(*b);
  }
  fs::remove_all(copy);
  if (failed) {
    std::fprintf(stderr, "bench_startup: a window was never painted\n");
    return 1;
  }
  std::printf("time to the first painted frame, %d launches each, alternated (ms)\n", runs);
  PrintRow("bare window", bare);
  PrintRow("reader window", reader);
  std::printf("ratio of the medians: %.2f\n", Median(reader) / Median(bare));
  return 0;
}
