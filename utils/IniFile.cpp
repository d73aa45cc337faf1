#include "IniFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>

#include "Exception.h"

namespace vantle {

namespace {

constexpr std::string_view LineEnd = "\r\n";

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

bool IsComment(std::string_view trimmed) {
  return !trimmed.empty() && (trimmed.front() == ';' || trimmed.front() == '#');
}

// The section name of a "[name]" line.
std::optional<std::string_view> SectionName(std::string_view trimmed) {
  if (trimmed.empty() || trimmed.front() != '[') return std::nullopt;
  const std::size_t close = trimmed.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(trimmed.substr(1, close - 1));
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  const char lower = LowerAscii(c);
  if (lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
  return 99;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return std::move(content).str();
}

bool WriteAll(int fd, std::string_view content) {
  while (!content.empty()) {
    const ssize_t written = ::write(fd, content.data(), content.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    content.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// Writes beside the target and renames over it, so a failure never leaves half a file.
bool ReplaceFile(const std::string& path, std::string_view content) {
  std::string temporary = path + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return false;
  struct stat existing {};
  const mode_t mode = ::stat(path.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644;
  bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, content) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  ok = ok && ::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(temporary.c_str());
  return ok;
}

}  // namespace

std::optional<int> ParseIniInteger(std::string_view text) {
  text = Trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  } else if (!text.empty() && text.front() == '$') {
    base = 16;
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  constexpr int64_t Limit = int64_t{1} << 31;
  int64_t magnitude = 0;
  for (const char c : text) {
    const int digit = DigitValue(c);
    if (digit >= base) return std::nullopt;
    magnitude = magnitude * base + digit;
    if (magnitude > Limit) return std::nullopt;
  }
  if (!negative && magnitude == Limit) return std::nullopt;
  return static_cast<int>(negative ? -magnitude : magnitude);
}

TIniFile::TIniFile(std::string path) : path_(std::move(path)) {
  if (const auto content = ReadWholeFile(path_)) Parse(*content);
}

void TIniFile::Parse(std::string_view content) {
  sections_.push_back({"", false, {}});
  while (!content.empty()) {
    const std::size_t end = content.find('\n');
    std::string_view line = content.substr(0, end);
    content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::string_view trimmed = Trim(line);
    if (const auto name = SectionName(trimmed)) {
      sections_.push_back({std::string(*name), true, {{std::string(line), "", ""}}});
      continue;
    }
    TLine entry{std::string(line), "", ""};
    const std::size_t equals = trimmed.find('=');
    if (!IsComment(trimmed) && equals != std::string_view::npos && equals > 0) {
      entry.Key = std::string(Trim(trimmed.substr(0, equals)));
      entry.Value = std::string(Unquote(Trim(trimmed.substr(equals + 1))));
    }
    sections_.back().Lines.push_back(std::move(entry));
  }
}

const TIniFile::TLine* TIniFile::FindLine(std::string_view section, std::string_view key) const {
  for (const TSection& candidate : sections_) {
    if (!candidate.HasHeader || !SameName(candidate.Name, section)) continue;
    for (const TLine& line : candidate.Lines) {
      if (!line.Key.empty() && SameName(line.Key, key)) return &line;
    }
    return nullptr;
  }
  return nullptr;
}

int TIniFile::ReadInteger(std::string_view section, std::string_view key, int fallback) const {
  const TLine* line = FindLine(section, key);
  if (line == nullptr) return fallback;
  return ParseIniInteger(line->Value).value_or(fallback);
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view fallback) const {
  const TLine* line = FindLine(section, key);
  return std::string(line == nullptr ? fallback : std::string_view(line->Value));
}

TIniFile::TSection& TIniFile::SectionForWriting(std::string_view section) {
  for (TSection& candidate : sections_) {
    if (candidate.HasHeader && SameName(candidate.Name, section)) return candidate;
  }
  const std::string name(section);
  sections_.push_back({name, true, {{"[" + name + "]", "", ""}}});
  return sections_.back();
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  TSection& target = SectionForWriting(section);
  TLine line{std::string(key) + "=" + std::string(value), std::string(key), std::string(value)};
  std::size_t last_key = 0;
  for (std::size_t i = 0; i < target.Lines.size(); ++i) {
    if (target.Lines[i].Key.empty()) continue;
    if (SameName(target.Lines[i].Key, key)) {
      target.Lines[i] = std::move(line);
      return;
    }
    last_key = i;
  }
  target.Lines.insert(target.Lines.begin() + static_cast<std::ptrdiff_t>(last_key + 1),
                      std::move(line));
}

std::string TIniFile::Render() const {
  std::string content;
  for (const TSection& section : sections_) {
    for (const TLine& line : section.Lines) {
      content += line.Text;
      content += LineEnd;
    }
  }
  return content;
}

void TIniFile::UpdateFile() {
  if (!ReplaceFile(path_, Render())) throw Exception("Unable to write to " + path_);
}

}  // namespace vantle
