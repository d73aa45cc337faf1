#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantle {

// The characters a group name may not hold: \ / : * ? " < space > |
inline constexpr std::string_view InvalidNameChars = "\\/:*?\"< >|";

// The directory the generated page is written to, with its trailing separator: this user's
// PrivateTempDirectory under $TMPDIR when set, else under the system's temporary directory.
std::string TempDirectory();

// `parent`/vantle-<uid>/, created with mode 0700 when missing and made 0700 when looser;
// raises when it is our own symbolic link or not a directory. When another user owns that
// name, a fresh directory made with mkdtemp beside it stands in for the rest of the process,
// which is said once on standard error.
std::string PrivateTempDirectory(const std::string& parent);

// `text` without the characters of InvalidNameChars.
std::string StripNameChars(std::string_view text);

// Appends to `list` the full path of every entry of `directory` whose name ends with
// `extension`, in the order the file system lists them. An error ends the listing silently.
void ListFiles(std::vector<std::string>& list, const std::string& directory,
               std::string_view extension);

// `path` trimmed of blanks and control characters, with a trailing "/" when not empty.
std::string WithTrailingBackslash(std::string_view path);

}  // namespace vantle
