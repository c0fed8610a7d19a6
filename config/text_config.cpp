#include "text_config.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <limits>
#include <tuple>
#include <new>
#include <string_view>
#include <vector>

namespace {

Text_Config_Features shared_features;

constexpr std::string_view separator = "->";

bool is_space(char c) {
  constexpr std::uint64_t spaces = 1ull << ' ' | 1ull << '\t' | 1ull << '\r' | 1ull << '\n' | 1ull << '\v' | 1ull << '\f';
  const auto byte = static_cast<unsigned char>(c);
  return byte <= ' ' && (spaces >> byte & 1);
}

// Walks the content token by token; at a key the rest of the line is taken instead.
class Tokens {
public:
  Tokens(const char* begin, const char* end) : at_(begin), end_(end) {}

  // Empty at the end of the content (tokens are never empty otherwise).
  std::string_view next() {
    for (; at_ < end_ && is_space(*at_); ++at_)
      if (*at_ == '\n') ++line_;
    const char* start = at_;
    while (at_ < end_ && !is_space(*at_)) ++at_;
    return {start, static_cast<std::size_t>(at_ - start)};
  }

  // The rest of the current line without its line feed; the line feed is consumed.
  std::string_view rest_of_line() {
    const char* start = at_;
    const void* feed = std::memchr(at_, '\n', static_cast<std::size_t>(end_ - at_));
    const char* stop = feed ? static_cast<const char*>(feed) : end_;
    at_ = feed ? stop + 1 : end_;
    if (feed) ++line_;
    return {start, static_cast<std::size_t>(stop - start)};
  }

  // The line of the last token, counted from 1.
  long line() const { return line_; }

private:
  long line_ = 1;
  const char* at_;
  const char* end_;
};

// "[name]" -> "name"; "[name" -> "name".
std::string_view section_name(std::string_view token) {
  token.remove_prefix(1);
  return token.substr(0, token.find(']'));
}

// The line after a key: one separator byte and a trailing carriage return are not part of it.
std::string_view value_of(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (!line.empty()) line.remove_prefix(1);
  return line;
}

}  // namespace

Text_Config::Entry::Entry(std::string_view text, std::uint32_t file_index, long line_number,
                          Entry_Arena* arena)
    : value(text, arena),
      file(file_index),
      // Beyond two billion lines a key is placed at the last line that can be told.
      line(static_cast<std::uint32_t>(std::min<long>(line_number, std::numeric_limits<std::int32_t>::max()))),
      asked(0) {}

Text_Config::Entries::iterator Text_Config::add(std::string_view key, Entries::iterator hint,
                                                std::string_view value, std::uint32_t file_index,
                                                long line) {
  return entries_.emplace_hint(hint, std::piecewise_construct, std::forward_as_tuple(key),
                               std::forward_as_tuple(value, file_index, line, &arena_));
}

bool Text_Config::holds(Entries::const_iterator at, std::string_view key) const {
  return at != entries_.end() && at->first == key;
}

Config_Features* Text_Config::get_features() { return &shared_features; }

std::string Text_Config::get_type_name() { return "TextConfig"; }

std::string Text_Config::get_value(std::string key, std::string default_value) {
  auto at = entries_.lower_bound(key);
  if (!holds(at, key)) at = add(key, at, default_value, 0, 0);
  at->second.asked = 1;
  return std::string(at->second.value);
}

bool Text_Config::set_value(std::string key, std::string value, bool overwrite) {
  const auto at = entries_.lower_bound(key);
  if (!holds(at, key)) {
    add(key, at, value, 0, 0);
    return true;
  }
  if (!overwrite) return false;
  at->second.value.assign(value);
  at->second.line = 0;
  return true;
}

bool Text_Config::remove_value(std::string key, bool) {
  const auto at = entries_.find(key);
  if (at != entries_.end()) entries_.erase(at);
  return true;
}

Config_Origin Text_Config::_get_origin(std::string key) {
  const auto at = entries_.find(key);
  if (at == entries_.end() || !at->second.line) return {};
  return {files_[at->second.file], at->second.line};
}

bool Text_Config::_was_asked(std::string key) {
  const auto at = entries_.find(key);
  return at != entries_.end() && at->second.asked;
}

template <typename Wanted>
void Text_Config::walk_copies(Wanted wanted, std::size_t expected, config_functor& functor) {
  std::vector<std::pair<std::string, std::string>> pairs;
  pairs.reserve(expected);
  for (const auto& [key, entry] : entries_)
    if (wanted(std::string_view(key))) pairs.emplace_back(key, entry.value);
  for (auto& [key, value] : pairs) functor(std::move(key), std::move(value));
}

void Text_Config::for_each(config_functor& functor) {
  walk_copies([](std::string_view) { return true; }, entries_.size(), functor);
}

void Text_Config::for_each_containing(const std::string& part, config_functor& functor) {
  // Only the pairs wanted are copied.
  walk_copies([&part](std::string_view key) { return key.find(part) != std::string_view::npos; }, 0,
              functor);
}

void Text_Config::read_text(const char* begin, const char* end, const std::string& file) {
  Tokens tokens(begin, end);
  const auto file_index = static_cast<std::uint32_t>(files_.size());
  files_.push_back(file);
  // The key path of the open sections; opened[i] is its length before section i was added.
  // Kept on the heap so that nesting depth is bounded by memory, not by the call stack.
  std::string path;
  std::vector<std::size_t> opened;
  // Where the key after the last one read would go: saved files list their keys in order, so
  // that place is tried first, and a search from the root is only needed when it is wrong.
  Entries::iterator next = entries_.end();
  for (std::string_view token = tokens.next(); !token.empty(); token = tokens.next()) {
    const bool closer = token.size() >= 2 && token[0] == '[' && token[1] == '/';
    if (opened.empty()) {
      if (closer) continue;
      if (token[0] != '[') {
        tokens.rest_of_line();  // text outside every section is comment
        continue;
      }
      opened.push_back(0);
      path.assign(section_name(token));
      continue;
    }
    if (closer) {
      path.resize(opened.back());
      opened.pop_back();
    } else if (token[0] == '[') {
      opened.push_back(path.size());
      path.append(separator).append(section_name(token));
    } else if (token[0] == '/') {
      tokens.rest_of_line();
    } else {
      const std::size_t section_length = path.size();
      path.append(separator).append(token);
      const long line = tokens.line();
      const std::string_view value = value_of(tokens.rest_of_line());
      // A key present already keeps its first value.
      next = std::next(add(path, next, value, file_index, line));
      path.resize(section_length);
    }
  }
}

void Text_Config::write_text(const std::function<void(const std::string&)>& sink) const {
  std::string out;
  auto indent = [&](std::size_t depth) { out.append(depth, '\t'); };
  std::size_t depth = 0;
  auto close_down_to = [&](std::size_t level) {
    while (depth > level) {
      indent(--depth);
      out.append("[/]\n");
    }
  };
  std::string_view previous;
  for (const auto& [key, entry] : entries_) {
    std::string_view current = key, before = previous;
    // Sections both paths share stay open. Only open sections count as shared, which keeps a
    // path that is both a value and the prefix of other paths readable.
    std::size_t common = 0;
    while (common < depth) {
      const std::size_t cut = current.find(separator);
      if (cut == std::string_view::npos || before.substr(0, before.find(separator)) != current.substr(0, cut))
        break;
      current.remove_prefix(cut + separator.size());
      before.remove_prefix(std::min(before.size(), cut + separator.size()));
      ++common;
    }
    close_down_to(common);
    for (std::size_t cut; (cut = current.find(separator)) != std::string_view::npos;
         current.remove_prefix(cut + separator.size())) {
      indent(depth++);
      out.append("[").append(current.substr(0, cut)).append("]\n");
    }
    indent(depth);
    out.append(current).append(" ").append(entry.value).append("\n");
    if (out.size() >= 1 << 16) {
      sink(out);
      out.clear();
    }
    previous = key;
  }
  close_down_to(0);
  sink(out);
}

bool Text_Config::load(const std::string& file, Brannow::FileManager* manager) {
  if (!manager) {
    config_set_error(file + ": no file manager");
    return false;
  }
  try {
    std::shared_ptr<Brannow::File> opened = manager->open(file, 0, 0);
    const char* content = opened->get_content();
    if (!content) {
      config_set_error(file + ": cannot be read");
      return false;
    }
    // The content ends at its first NUL.
    const void* nul = std::memchr(content, '\0', opened->get_size());
    read_text(content, nul ? static_cast<const char*>(nul) : content + opened->get_size(), file);
    return true;
  } catch (const std::exception& error) {
    config_set_error(error.what());
  } catch (...) {
    config_set_error(file + ": cannot be read");
  }
  return false;
}

bool Text_Config::save(const std::string& file, Brannow::FileManager* manager) {
  if (!manager) return false;
  try {
    std::shared_ptr<Brannow::File> opened = manager->open(file, 1, 0);
    bool written = true;
    write_text([&](const std::string& piece) {
      if (written && !piece.empty()) written = opened->write(piece.data(), piece.size());
    });
    // A failed write is a failed save, not a success with a truncated file; a full disk may
    // show only when the buffered rest is flushed.
    if (written && opened->close()) return true;
    config_set_error(file + ": " + std::strerror(errno));
  } catch (const std::exception& error) {
    config_set_error(error.what());
  } catch (...) {
    config_set_error(file + ": cannot be written");
  }
  return false;
}

extern "C" Config_Interface* _get_config_interface() { return new (std::nothrow) Text_Config(); }
