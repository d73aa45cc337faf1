#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vantle {

// The text conversions of the group-file format. Whatever cannot be decoded (a malformed
// UTF-8 sequence, an unpaired UTF-16 surrogate) becomes U+FFFD; nothing raises.

// True when every byte is below 128.
bool IsAscii(std::string_view bytes);
// `bytes` as valid UTF-8: malformed sequences replaced.
std::string ValidUtf8(std::string_view bytes);
// The number of UTF-16 code units of valid UTF-8 text.
std::size_t Utf16Length(std::string_view utf8);
// Valid UTF-8 text as UTF-16.
std::u16string Utf8ToUtf16(std::string_view utf8);
// UTF-16 text as UTF-8.
std::string Utf16ToUtf8(std::u16string_view utf16);
// Bytes in the Windows ANSI code page 1252 as UTF-8 (the five unassigned bytes map to the
// C1 controls of the same number, as Windows does).
std::string Windows1252ToUtf8(std::string_view bytes);

}  // namespace vantle
