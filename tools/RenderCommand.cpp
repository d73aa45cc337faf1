#include <charconv>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>

#include "Commands.h"
#include "FeedSource.h"
#include "FeedStateAccess.h"
#include "SimpleRSS.h"
#include "UFeedViews.h"

namespace vantle::tool {

namespace {

// A browser that only remembers where it was sent.
class TRecordingBrowser : public IWebBrowser {
 public:
  void Navigate(const std::string& path) override { FPath = path; }
  // The path of the last navigate request.
  const std::string& Path() const { return FPath; }

 private:
  std::string FPath;
};

struct TRenderArgs {
  std::optional<std::string> DataDir;
  uint8_t Style = 0;
  std::optional<std::string> Out;
  bool Strict = false;
  std::string Link;
};

// A style by name or by index 0..255.
std::optional<uint8_t> ParseStyle(const std::string& text) {
  for (size_t i = 0; i < ViewStyleNames.size(); ++i)
    if (text == ViewStyleNames[i]) return static_cast<uint8_t>(i);
  unsigned value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end || value > 255) return std::nullopt;
  return static_cast<uint8_t>(value);
}

std::optional<TRenderArgs> ParseArgs(const std::vector<std::string>& args) {
  TRenderArgs parsed;
  bool haveLink = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--data" && hasValue && !parsed.DataDir) {
      parsed.DataDir = args[++i];
    } else if (arg == "--style" && hasValue) {
      const std::optional<uint8_t> style = ParseStyle(args[++i]);
      if (!style) return std::nullopt;
      parsed.Style = *style;
    } else if (arg == kStrictOption) {
      parsed.Strict = true;
    } else if (arg == "--out" && hasValue && !args[i + 1].empty()) {
      parsed.Out = std::filesystem::absolute(args[++i]).string();
    } else if (!haveLink && !arg.starts_with("--")) {
      parsed.Link = arg;
      haveLink = true;
    } else {
      return std::nullopt;
    }
  }
  if (!haveLink) return std::nullopt;
  return parsed;
}

}  // namespace

int RunRender(const std::vector<std::string>& args) {
  const std::optional<TRenderArgs> parsed = ParseArgs(args);
  if (!parsed) {
    std::cerr << UsageText();
    return 2;
  }
  TSimpleRSS reader;
  reader.Tolerant = !parsed->Strict;
  const std::unique_ptr<IFeedState> state = ToolFeedState(parsed->DataDir);
  TFeedSource(state.get()).Load(reader, parsed->Link, TRequestKind::Click);
  TRecordingBrowser browser;
  if (parsed->Out)
    ShowFeedView(reader, browser, parsed->Style, *parsed->Out);
  else
    ShowFeedView(reader, browser, parsed->Style);
  std::cout << browser.Path() << '\n';
  return 0;
}

}  // namespace vantle::tool
