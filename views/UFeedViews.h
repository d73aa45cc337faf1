#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantle {

class TSimpleRSS;

// What the views need of a browser: show the local file at a full file-system path.
class IWebBrowser {
 public:
  virtual ~IWebBrowser() = default;
  // Starts showing the file at `path` (a plain path, not a file URL); returns at once.
  virtual void Navigate(const std::string& path) = 0;
};

// The view styles, by index: 0 "NewsPaper", 1 "List".
inline constexpr std::array<std::string_view, 2> ViewStyleNames = {"NewsPaper", "List"};

// The name of the generated page in the temporary directory.
inline constexpr std::string_view PageFileName = "vantle_tmp.htm";

// Renders what `reader` holds in `style` (0 NewsPaper, 1 List, other values an empty page)
// into TempDirectory() + "vantle_tmp.htm" and asks `browser` to show it.
void ShowFeedView(const TSimpleRSS& reader, IWebBrowser& browser, uint8_t style);

// As above, with the page written to `path` instead of the temporary directory.
void ShowFeedView(const TSimpleRSS& reader, IWebBrowser& browser, uint8_t style,
                  const std::string& path);

// TempDirectory() + "vantle_tmp.htm".
std::string PagePath();

// Writes every line followed by CR LF to a fresh file of mode 0600 beside `path` and renames
// it over whatever is at `path`; raises naming the path and the reason.
void ReplacePageFile(const std::string& path, const std::vector<std::string>& lines);

// Creates `path`, which must not exist yet (nor be a link), with mode 0600 and writes every
// line followed by CR LF; raises naming the path and the reason.
void WritePageFile(const std::string& path, const std::vector<std::string>& lines);

}  // namespace vantle
