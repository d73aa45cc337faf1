#include <iostream>
#include <nlohmann/json.hpp>

#include "Commands.h"
#include "Exception.h"
#include "store/GridStream.h"
#include "store/GroupFiles.h"

namespace vantle::tool {

namespace {

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
