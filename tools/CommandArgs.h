#pragma once

#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantle::tool {

// A command's arguments: the words in their order and the options given with their values.
struct TCommandArgs {
  std::vector<std::string> Words;
  std::map<std::string, std::string, std::less<>> Options;

  // The value of `option`, empty when it was not given.
  std::string Option(std::string_view option) const;
};

// `args` split into words, `--name VALUE` options among `options` and `--name` flags among
// `flags` (kept with an empty value); nothing when an option is unknown, lacks its value or
// comes twice.
std::optional<TCommandArgs> SplitArgs(const std::vector<std::string>& args,
                                      std::initializer_list<std::string_view> options,
                                      std::initializer_list<std::string_view> flags = {});

}  // namespace vantle::tool
