#pragma once

#include <string>
#include <string_view>

namespace vantle {

// Protocol texts (schemes, hosts, header names, charset labels) compare without case in ASCII
// only: these never depend on the locale.

// `c` lower-cased when it is an ASCII capital, else `c`.
char AsciiLower(char c);
// `text` with its ASCII capitals lower-cased.
std::string AsciiLower(std::string_view text);
// True for a space, a tab, a CR or an LF.
bool IsAsciiSpace(char c);
// `text` without the spaces, tabs, CRs and LFs around it.
std::string_view TrimAsciiSpace(std::string_view text);

}  // namespace vantle
