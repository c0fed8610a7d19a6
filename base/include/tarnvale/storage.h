#pragma once
// The named ordered map every registry of the engine is built on. It never deletes what its
// values point to: whoever adds an owning pointer deletes it.

#include <map>
#include <utility>

template <typename K, typename V>
class Storage {
public:
  using Map = std::map<K, V>;
  using iterator = typename Map::iterator;
  using const_iterator = typename Map::const_iterator;

  virtual ~Storage() = default;

  // Inserts; false, changing nothing, when the key is already present.
  bool add(const K& key, V value) { return items_.emplace(key, std::move(value)).second; }

  // The value under the key; throws the boolean false when the key is absent.
  V get(const K& key) const {
    auto it = items_.find(key);
    if (it == items_.end()) throw false;
    return it->second;
  }

  // Erases the key if present; true either way.
  bool remove(const K& key) {
    items_.erase(key);
    return true;
  }

  // Erases the entry found (not end()).
  void remove(iterator at) { items_.erase(at); }

  bool exists(const K& key) const { return items_.find(key) != items_.end(); }

  // One lookup for callers that test and then read (end() when absent).
  iterator find(const K& key) { return items_.find(key); }
  const_iterator find(const K& key) const { return items_.find(key); }

  std::size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }

  // Ordered traversal, in key order.
  iterator begin() { return items_.begin(); }
  iterator end() { return items_.end(); }
  const_iterator begin() const { return items_.begin(); }
  const_iterator end() const { return items_.end(); }

  template <typename F>
  void for_each(F f) {
    for (auto& entry : items_) f(entry.first, entry.second);
  }

private:
  Map items_;
};
