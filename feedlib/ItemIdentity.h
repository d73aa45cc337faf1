#pragma once

#include <string>
#include <vector>

#include "SimpleRSSTypes.h"

namespace vantle {

// What names an item from one fetch of its feed to the next: its guid (an Atom entry's id),
// else its link, else a digest of its title, link and description. The date never takes part:
// a missing one reads as the load time and would change at every fetch. The kind is part of
// the text, so a guid never equals a link or a digest by accident.
std::string ItemIdentity(const TRSSItem& item);

// The identities of `items` in their order, each once.
std::vector<std::string> ItemIdentities(const TRSSItems& items);

}  // namespace vantle
