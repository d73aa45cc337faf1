#include <iostream>

#include "Commands.h"

namespace vantle::tool {

int RunShow(const std::vector<std::string>&) {
  std::cerr << "vantle-feed: this command is not built yet\n";
  return 2;
}

}  // namespace vantle::tool
