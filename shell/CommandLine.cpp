#include "CommandLine.h"

#include <array>
#include <string_view>

namespace vantle {

namespace {

// The options QGuiApplication, QApplication and the X11 platform read with a value after them,
// and those they read alone.
constexpr std::array<std::string_view, 17> QtValueOptions{"platform",
                                                          "platformpluginpath",
                                                          "platformtheme",
                                                          "plugin",
                                                          "qwindowgeometry",
                                                          "qwindowicon",
                                                          "qwindowtitle",
                                                          "session",
                                                          "display",
                                                          "geometry",
                                                          "title",
                                                          "icon",
                                                          "name",
                                                          "visual",
                                                          "style",
                                                          "stylesheet",
                                                          "qmljsdebugger"};
constexpr std::array<std::string_view, 6> QtFlagOptions{"reverse", "widgetcount", "nograb",
                                                        "dograb",  "sync",        "testability"};

// Qt reads these also as "-name=value".
constexpr std::array<std::string_view, 3> QtJoinedOptions{"style", "stylesheet", "qmljsdebugger"};

// Qt WebEngine hands every argument after this one to Chromium.
constexpr std::string_view WebEngineArgs = "--webEngineArgs";

const char* HelpText() {
  return "Reads web feeds (RSS 0.9x/2.0, RSS 1.0 and Atom) in a window.\n"
         "\n"
         "  --help      print this help and exit\n"
         "  --version   print the version and exit\n"
         "\n"
         "Qt's own options (-platform, -display, -style, -session, -reverse,\n"
         "-qwindowgeometry and the others) are passed on to Qt, and the arguments\n"
         "after --webEngineArgs to Qt WebEngine. See vantle(1).\n";
}

// The option's name without its one or two leading dashes.
std::string_view OptionName(std::string_view arg) {
  arg.remove_prefix(arg.starts_with("--") ? 2 : 1);
  return arg;
}

template <size_t N>
bool Contains(const std::array<std::string_view, N>& names, std::string_view name) {
  for (std::string_view candidate : names)
    if (candidate == name) return true;
  return false;
}

bool IsJoinedQtOption(std::string_view name) {
  const size_t equals = name.find('=');
  return equals != std::string_view::npos && Contains(QtJoinedOptions, name.substr(0, equals));
}

// How many arguments the Qt option at `argv[0]` takes up with its value (of `argc` left);
// 0 when it is no Qt option or lacks its value.
int QtOptionLength(int argc, const char* const* argv) {
  const std::string_view arg = argv[0];
  if (arg.size() < 2 || arg.front() != '-') return 0;
  const std::string_view name = OptionName(arg);
  if (IsJoinedQtOption(name) || Contains(QtFlagOptions, name)) return 1;
  if (Contains(QtValueOptions, name)) return argc > 1 ? 2 : 0;
  return 0;
}

}  // namespace

const char* UsageText() {
  return "usage: vantle [--help | --version] [Qt options] [--webEngineArgs ARGS...]\n";
}

std::optional<int> AnswerCommandLine(int argc, const char* const* argv, std::ostream& out,
                                     std::ostream& err) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      out << "vantle " VANTLE_VERSION "\n" << UsageText() << '\n' << HelpText();
      return 0;
    }
    if (arg == "--version") {
      out << "vantle " VANTLE_VERSION "\n";
      return 0;
    }
    if (arg == WebEngineArgs) return std::nullopt;
    const int taken = QtOptionLength(argc - i, argv + i);
    if (taken == 0) {
      err << UsageText();
      return 2;
    }
    i += taken - 1;
  }
  return std::nullopt;
}

}  // namespace vantle
