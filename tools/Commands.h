#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantle::tool {

// Each command takes the arguments after its name and returns the exit status:
// 0 success, 1 a failed load or read, 2 bad usage (after printing the usage to stderr).

// Makes show and render read feeds as strictly as the library does by default, failing where
// the reader window reads around a fault.
inline constexpr std::string_view kStrictOption = "--strict";

// show [--strict] [--data DIR] LINK...: one JSON line per link with the reader's state after
// loading it; with --data, loaded by the feed state kept there.
int RunShow(std::vector<std::string> args);
// render [--strict] [--style NewsPaper|List|N] [--out FILE] [--data DIR] LINK: renders the
// feed, prints the page path.
int RunRender(const std::vector<std::string>& args);
// group FILE: prints a group file's content as JSON.
int RunGroup(const std::vector<std::string>& args);
// discover [--data DIR] LINK: one JSON line per feed the link is or its page names, in page
// order.
int RunDiscover(std::vector<std::string> args);
// opml export [--data DIR] [--out FILE] | opml import FILE [--data DIR]: the subscriptions of
// a data directory (the window's by default) as OPML, or an OPML file imported into it.
int RunOpml(const std::vector<std::string>& args);
// groups [--data DIR] | groups add NAME | groups rename OLD NEW | groups delete NAME: lists
// or changes the groups of a data directory (the window's by default) as its window does.
int RunGroups(const std::vector<std::string>& args);
// feeds [--group NAME] | feeds add LINK --group NAME [--title TEXT] | feeds move LINK --to NAME
// | feeds retitle LINK TITLE | feeds delete LINK, each with [--data DIR], the last three with
// [--group NAME]: lists or changes the feeds of a data directory as its window does.
int RunFeeds(const std::vector<std::string>& args);
// check [--data DIR] [--group NAME] [--jobs N]: fetches every subscription (or one group's) as
// the fetch rules allow, N at once, one JSON line per feed as it ends.
int RunCheck(const std::vector<std::string>& args);

// The usage text of the whole tool.
const char* UsageText();

}  // namespace vantle::tool
