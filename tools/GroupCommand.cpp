#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <nlohmann/json.hpp>

#include "Commands.h"
#include "Exception.h"
#include "GridStream.h"

namespace vantle::tool {

namespace {

[[noreturn]] void RaiseCannotOpen(const std::string& path, int error) {
  throw Exception("Cannot open file \"" + path + "\". " + std::strerror(error));
}

std::string ReadGroupFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) RaiseCannotOpen(path, errno);
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t count = ::read(fd, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      const int error = errno;
      ::close(fd);
      RaiseCannotOpen(path, error);
    }
    if (count == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(count));
  }
  ::close(fd);
  return bytes;
}

nlohmann::ordered_json PropsJson(const TGridProps& props) {
  nlohmann::ordered_json json;
  json["ColCount"] = props.ColCount;
  json["RowCount"] = props.RowCount;
  json["ColWidths"] = props.ColWidths;
  json["RowHeights"] = props.RowHeights;
  json["FullGrid"] = props.FullGrid;
  return json;
}

}  // namespace

// Nothing is printed for a file that fails to read: the error reaches the caller.
int RunGroup(const std::vector<std::string>& args) {
  if (args.size() != 1) {
    std::cerr << UsageText();
    return 2;
  }
  const std::string bytes = ReadGroupFile(args[0]);
  nlohmann::ordered_json group;
  nlohmann::ordered_json cells = nlohmann::ordered_json::array();
  ReadGridStream(
      bytes, [&](const TGridProps& props) { group = PropsJson(props); },
      [&](const TGridCell& cell) {
        cells.push_back({{"Col", cell.Col}, {"Row", cell.Row}, {"Cell", cell.Cell}});
      });
  group["Cells"] = std::move(cells);
  std::cout << group.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
  return 0;
}

}  // namespace vantle::tool
