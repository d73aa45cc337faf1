#pragma once

#include <string>
#include <vector>

namespace vantle::tool {

// Each command takes the arguments after its name and returns the exit status:
// 0 success, 1 a failed load or read, 2 bad usage (after printing the usage to stderr).

// show LINK...: one JSON line per link with the reader's state after loading it.
int RunShow(const std::vector<std::string>& args);
// render [--style NewsPaper|List|N] [--out FILE] LINK: renders the feed, prints the page path.
int RunRender(const std::vector<std::string>& args);
// group FILE: prints a group file's content as JSON.
int RunGroup(const std::vector<std::string>& args);
// discover LINK: one JSON line per feed the link is or its page names, in page order.
int RunDiscover(const std::vector<std::string>& args);
// opml export [--data DIR] [--out FILE] | opml import FILE [--data DIR]: the subscriptions of
// a data directory (the window's by default) as OPML, or an OPML file imported into it.
int RunOpml(const std::vector<std::string>& args);

// The usage text of the whole tool.
const char* UsageText();

}  // namespace vantle::tool
