#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantle {

// An INI file held in memory: sections of key=value lines. Section and key names compare
// without regard to ASCII case; lines it does not understand are kept as they are.
class TIniFile {
 public:
  // Reads `path` when it exists; a missing or unreadable file reads as empty.
  explicit TIniFile(std::string path);

  // The path given to the constructor.
  const std::string& FileName() const { return path_; }
  // The value of `key` as an integer (decimal, or hexadecimal after "0x" or "$"); `fallback`
  // when the key is missing or its value is not an integer.
  int ReadInteger(std::string_view section, std::string_view key, int fallback) const;
  // The value of `key`, trimmed of blanks and of one pair of enclosing quotes; `fallback`
  // when the key is missing.
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback) const;
  // Sets `key` to `value` in decimal; a new key goes after the section's last key, a new
  // section at the end of the file.
  void WriteInteger(std::string_view section, std::string_view key, int value);
  // Sets `key` to `value`.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  // Writes the file through a temporary file renamed over it, lines ending in "\r\n".
  // Raises vantle::Exception "Unable to write to <path>" when that fails.
  void UpdateFile();

 private:
  struct TLine {
    std::string Text;
    std::string Key;  // empty for lines that are not key=value
    std::string Value;
  };
  struct TSection {
    std::string Name;
    bool HasHeader = true;
    std::vector<TLine> Lines;
  };

  void Parse(std::string_view content);
  const TLine* FindLine(std::string_view section, std::string_view key) const;
  TSection& SectionForWriting(std::string_view section);
  std::string Render() const;

  std::string path_;
  std::vector<TSection> sections_;
};

// `text` as an INI integer: blanks around it, an optional sign, then decimal digits or
// hexadecimal digits after "0x" or "$"; nothing when it is not one or does not fit an int.
std::optional<int> ParseIniInteger(std::string_view text);

}  // namespace vantle
