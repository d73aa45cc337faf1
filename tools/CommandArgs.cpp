#include "CommandArgs.h"

#include <algorithm>

namespace vantle::tool {

std::string TCommandArgs::Option(std::string_view option) const {
  const auto found = Options.find(option);
  return found == Options.end() ? std::string() : found->second;
}

std::optional<TCommandArgs> SplitArgs(const std::vector<std::string>& args,
                                      std::initializer_list<std::string_view> options,
                                      std::initializer_list<std::string_view> flags) {
  TCommandArgs split;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!arg.starts_with("--")) {
      split.Words.push_back(arg);
      continue;
    }
    if (std::find(flags.begin(), flags.end(), arg) != flags.end()) {
      if (!split.Options.emplace(arg, std::string()).second) return std::nullopt;
      continue;
    }
    const bool known = std::find(options.begin(), options.end(), arg) != options.end();
    if (!known || i + 1 == args.size() || !split.Options.emplace(arg, args[i + 1]).second) {
      return std::nullopt;
    }
    ++i;
  }
  return split;
}

}  // namespace vantle::tool
