#pragma once
// Lists in data files are numbered sections: "Object0", "Object1", ... The list ends at the
// first number whose entry is missing, and in any case after kMaxListEntries entries, so that a
// file can neither make a reader loop for ever nor skip a number and hide what follows.

#include <string>
#include <type_traits>

namespace tarnvale {

inline constexpr int kMaxListEntries = 1000000;

// Calls visit(prefix, index) with prefix = head + index + tail for index 0, 1, ... until visit
// answers false or the bound is reached.
template <typename Visit>
void for_each_index(const std::string& head, const std::string& tail, Visit visit) {
  for (int index = 0; index < kMaxListEntries; ++index)
    if (!visit(head + std::to_string(index) + tail, index)) return;
}

// The common list: an entry is there while its `name_key` (after the prefix) is not empty.
// Calls visit(prefix, name, index) for each; visit may answer false to stop early (or return
// nothing to go through them all).
template <typename Config, typename Visit>
void for_each_listed(Config* config, const std::string& head, const std::string& tail,
                     const std::string& name_key, Visit visit) {
  for_each_index(head, tail, [&](const std::string& prefix, int index) {
    const std::string name = config->get_value(prefix + name_key, "");
    if (name.empty()) return false;
    if constexpr (std::is_same_v<decltype(visit(prefix, name, index)), void>) {
      visit(prefix, name, index);
      return true;
    } else {
      return static_cast<bool>(visit(prefix, name, index));
    }
  });
}

}  // namespace tarnvale
