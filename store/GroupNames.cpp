#include "store/GroupNames.h"

#include <algorithm>

#include "UVantleUtils.h"
#include "store/NameCollation.h"

namespace vantle {

namespace {

constexpr std::string_view ImportedGroup = "Imported";

bool IsSpace(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

// The code point that `utf8` starts with and its length in bytes; a malformed byte is
// taken alone, as no space.
std::pair<char32_t, std::size_t> FirstCodePoint(std::string_view utf8) {
  const auto lead = static_cast<unsigned char>(utf8[0]);
  const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  if (lead < 0x80 || length > utf8.size()) return {lead < 0x80 ? lead : 0xFFFD, 1};
  char32_t c = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) c = (c << 6) | (utf8[i] & 0x3F);
  return {c, length};
}

// The byte length of the white space that `utf8` ends with.
std::size_t TrailingSpace(std::string_view utf8) {
  std::size_t end = utf8.size();
  while (end > 0) {
    std::size_t start = end - 1;
    while (start > 0 && (static_cast<unsigned char>(utf8[start]) & 0xC0) == 0x80) --start;
    const auto [c, length] = FirstCodePoint(utf8.substr(start, end - start));
    if (length != end - start || !IsSpace(c)) break;
    end = start;
  }
  return utf8.size() - end;
}

}  // namespace

std::string TrimmedName(std::string_view text) {
  while (!text.empty()) {
    const auto [c, length] = FirstCodePoint(text);
    if (!IsSpace(c)) break;
    text.remove_prefix(length);
  }
  text.remove_suffix(TrailingSpace(text));
  return std::string(text);
}

bool IsValidGroupName(std::string_view name) {
  if (name.find_first_of(InvalidNameChars) != std::string_view::npos) return false;
  return name.find_first_not_of('.') != std::string_view::npos;
}

bool IsSameGroupName(std::string_view a, std::string_view b) {
  return TNameCollation::EqualIgnoringCase(a, b);
}

int FindGroupName(const std::vector<std::string>& groups, std::string_view name) {
  const auto found = std::find_if(groups.begin(), groups.end(), [name](const std::string& group) {
    return IsSameGroupName(group, name);
  });
  return found == groups.end() ? -1 : static_cast<int>(found - groups.begin());
}

std::string StrippedGroupName(std::string_view typed) {
  return StripNameChars(typed);
}

std::string CleanGroupName(std::string_view name) {
  std::string cleaned = TrimmedName(StrippedGroupName(name));
  return IsValidGroupName(cleaned) ? cleaned : std::string(ImportedGroup);
}

}  // namespace vantle
