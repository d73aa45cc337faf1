#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantle {

// The rules of group names. A name becomes the file name DataDir + name + ".dat", so it holds
// none of InvalidNameChars and is not made of dots only ("." and ".." name directories).

// `text` without the white space at either end that Qt's QString::trimmed removes: tab to
// carriage return, U+0085 and the Unicode space separators.
std::string TrimmedName(std::string_view text);

// True when `name` can name a group: not empty, none of InvalidNameChars, not dots only.
bool IsValidGroupName(std::string_view name);

// True when `a` and `b` name one group: equal ignoring case.
bool IsSameGroupName(std::string_view a, std::string_view b);

// The position in `groups` of the group named `name` ignoring case; -1 when none is.
int FindGroupName(const std::vector<std::string>& groups, std::string_view name);

// A typed name as New Group cleans it: without the characters of InvalidNameChars. White
// space at its ends stays; New Group compares the name trimmed.
std::string StrippedGroupName(std::string_view typed);

// A folder name as an import cleans it: stripped as New Group strips it and trimmed;
// "Imported" when what is left is no valid name.
std::string CleanGroupName(std::string_view name);

}  // namespace vantle
