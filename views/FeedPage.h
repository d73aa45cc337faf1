#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantle {

class TSimpleRSS;

// The lines of the page that shows what `reader` holds in `style` (0 NewsPaper, 1 List);
// no lines at all for any other style.
std::vector<std::string> FeedPageLines(const TSimpleRSS& reader, uint8_t style);

}  // namespace vantle
