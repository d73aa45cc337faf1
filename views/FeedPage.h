#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vantle {

class TSimpleRSS;

// Takes the next stretch of page text.
using TPageWrite = std::function<void(std::string_view text)>;

// The most WriteFeedPage hands on at once, unless one value alone is longer.
inline constexpr size_t PageChunkSize = size_t{1} << 18;

// Writes the page that shows what `reader` holds in `style` (0 NewsPaper, 1 List) through
// `write`, every line followed by CR LF; nothing at all for any other style.
void WriteFeedPage(const TSimpleRSS& reader, uint8_t style, const TPageWrite& write);

// The lines of that page without their line ends; no lines at all for any other style.
std::vector<std::string> FeedPageLines(const TSimpleRSS& reader, uint8_t style);

}  // namespace vantle
