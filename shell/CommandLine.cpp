#include "CommandLine.h"

#include <array>
#include <string_view>

namespace vantle {

namespace {

struct TQtOption {
  std::string_view Name;
  bool TakesValue;
};

// The options QGuiApplication, QApplication and the X11 platform read from the command line.
constexpr std::array<TQtOption, 22> QtOptions{{
    {"platform", true},
    {"platformpluginpath", true},
    {"platformtheme", true},
    {"plugin", true},
    {"qwindowgeometry", true},
    {"qwindowicon", true},
    {"qwindowtitle", true},
    {"session", true},
    {"display", true},
    {"geometry", true},
    {"title", true},
    {"icon", true},
    {"name", true},
    {"visual", true},
    {"style", true},
    {"stylesheet", true},
    {"reverse", false},
    {"widgetcount", false},
    {"nograb", false},
    {"dograb", false},
    {"sync", false},
    {"testability", false},
}};

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

const TQtOption* FindQtOption(std::string_view name) {
  for (const TQtOption& option : QtOptions)
    if (option.Name == name) return &option;
  return nullptr;
}

bool IsJoinedQtOption(std::string_view name) {
  const size_t equals = name.find('=');
  if (equals == std::string_view::npos) return false;
  for (std::string_view joined : QtJoinedOptions)
    if (name.substr(0, equals) == joined) return true;
  return false;
}

// How many arguments the Qt option at `argv[0]` takes up with its value (of `argc` left);
// 0 when it is no Qt option or lacks its value.
int QtOptionLength(int argc, const char* const* argv) {
  const std::string_view arg = argv[0];
  if (arg.size() < 2 || arg.front() != '-') return 0;
  const std::string_view name = OptionName(arg);
  if (IsJoinedQtOption(name)) return 1;
  const TQtOption* option = FindQtOption(name);
  if (option == nullptr) return 0;
  if (!option->TakesValue) return 1;
  return argc > 1 ? 2 : 0;
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
