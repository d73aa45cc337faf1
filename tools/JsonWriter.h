#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string_view>

namespace vantle::tool {

// Writes compact JSON while the caller walks its data, with the bytes nlohmann-json's
// dump() (no indent, invalid UTF-8 replaced by U+FFFD) gives for the same values.
class TJsonWriter {
 public:
  // Keeps the whole text in memory, for Text().
  TJsonWriter() = default;
  // Passes the text on to `sink` in chunks, and at Flush().
  explicit TJsonWriter(std::ostream& sink);
  TJsonWriter(const TJsonWriter&) = delete;
  TJsonWriter& operator=(const TJsonWriter&) = delete;

  // Opens an object as the next value.
  TJsonWriter& BeginObject();
  // Closes the innermost open object.
  TJsonWriter& EndObject();
  // Opens an array as the next value.
  TJsonWriter& BeginArray();
  // Closes the innermost open array.
  TJsonWriter& EndArray();
  // Names the next member of the open object.
  TJsonWriter& Key(std::string_view name);
  // A string value; bytes that are not UTF-8 become U+FFFD.
  TJsonWriter& String(std::string_view value);
  // true or false.
  TJsonWriter& Bool(bool value);
  // A whole number.
  TJsonWriter& Int(int64_t value);
  // The shortest decimal that reads back as `value`; null when it is not finite.
  TJsonWriter& Float(double value);
  // null.
  TJsonWriter& Null();
  // Ends a top-level value with a line feed; the next value starts afresh.
  TJsonWriter& EndLine();

  // Hands what is buffered to the sink; without a sink it does nothing.
  void Flush();
  // What is buffered: without a sink, everything written so far.
  std::string_view Text() const { return {FData.get(), FSize}; }

 private:
  // Where the next `bytes` bytes go, flushing or growing the buffer first when needed.
  char* Room(size_t bytes);
  void MakeRoom(size_t bytes);
  void Put(std::string_view bytes);
  void Put(char byte);
  void Separate();
  void AppendEscaped(std::string_view text);
  void AppendControl(unsigned char byte);

  std::unique_ptr<char[]> FData;
  size_t FSize = 0;
  size_t FCapacity = 0;
  std::ostream* FSink = nullptr;
  // A value or a member came last at this level, so the next one needs a comma.
  bool FNeedComma = false;
};

}  // namespace vantle::tool
