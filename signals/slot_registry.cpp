#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "tarnvale/diagnostics.h"
#include "twinkel/signals.h"

namespace {

struct Connection {
  std::string slot_name;
  // Cleared instead of erased while a delivery walks the run, so its indexes stay valid.
  bool live = true;
  // The delivery that last called this connection.
  uint64_t delivery = 0;
};

// The connections of one signal, in connection order.
struct Run {
  std::vector<Connection> connections;
  int deliveries_in_progress = 0;
  bool has_dead = false;
  // The depth limit was reported for this signal (once is enough: it recurs every frame).
  bool depth_reported = false;
};

// A slot that rises its own signal again (a timer of time 0 wired to itself) would recurse
// until the stack overflows: deliveries of one signal nest at most this deep.
const int kMaxDeliveryDepth = 32;

// The registry's lines: "SIGNAL:" + text, on standard error.
void signal_line(tarnvale::Severity severity, const std::string& text) {
  tarnvale::Diagnostic line;
  line.severity = severity;
  line.text = "SIGNAL:" + text;
  tarnvale::report(line);
}

struct Tables {
  std::unordered_map<std::string, AbstractSlot*> slots;
  // Nodes are stable, so a delivery may keep its Run while slots add other signals.
  std::unordered_map<std::string, Run> runs;
  // Slot name -> the signals connected to it, so unregistering does not scan every run.
  std::unordered_map<std::string, std::vector<std::string>> signals_of_slot;
  uint64_t last_delivery = 0;
};

// Never destroyed: objects of other libraries may still unregister while the process exits.
Tables& tables() {
  static Tables* t = new Tables;
  return *t;
}

std::vector<Connection>::iterator find_live(Run& run, const std::string& slot_name) {
  return std::find_if(run.connections.begin(), run.connections.end(),
                      [&](const Connection& c) { return c.live && c.slot_name == slot_name; });
}

void compact(Run& run) {
  auto& c = run.connections;
  c.erase(std::remove_if(c.begin(), c.end(), [](const Connection& x) { return !x.live; }), c.end());
  run.has_dead = false;
}

// Drops one connection from its run; the run goes when empty and no delivery is walking it.
void drop_connection(std::unordered_map<std::string, Run>::iterator run_it,
                     std::vector<Connection>::iterator connection) {
  Run& run = run_it->second;
  if (run.deliveries_in_progress > 0) {
    connection->live = false;
    run.has_dead = true;
    return;
  }
  run.connections.erase(connection);
  if (run.connections.empty()) tables().runs.erase(run_it);
}

// Removes the pair from the connection map only; false when it was not there.
bool drop_pair(const std::string& signal_name, const std::string& slot_name) {
  auto run_it = tables().runs.find(signal_name);
  if (run_it == tables().runs.end()) return false;
  auto connection = find_live(run_it->second, slot_name);
  if (connection == run_it->second.connections.end()) return false;
  drop_connection(run_it, connection);
  return true;
}

// A connection made during a delivery is not called again for a slot that this delivery
// has already reached, so a slot that reconnects itself cannot loop forever.
bool already_reached(const Run& run, std::size_t index, uint64_t delivery) {
  const std::string& name = run.connections[index].slot_name;
  for (std::size_t j = 0; j < index; ++j)
    if (run.connections[j].delivery == delivery && run.connections[j].slot_name == name)
      return true;
  return false;
}

// Ends a delivery even when a slot throws: dead connections are swept once no walk remains.
class DeliveryGuard {
public:
  explicit DeliveryGuard(std::unordered_map<std::string, Run>::iterator run_it)
      : key_(run_it->first), run_(run_it->second) {
    ++run_.deliveries_in_progress;
  }
  ~DeliveryGuard() {
    if (--run_.deliveries_in_progress > 0 || !run_.has_dead) return;
    compact(run_);
    if (run_.connections.empty()) tables().runs.erase(tables().runs.find(key_));
  }
  DeliveryGuard(const DeliveryGuard&) = delete;
  DeliveryGuard& operator=(const DeliveryGuard&) = delete;

private:
  const std::string& key_;  // the map node's own key, alive as long as the node
  Run& run_;
};

}  // namespace

bool register_slot(const std::string& slot_name, AbstractSlot* slot) {
  return tables().slots.emplace(slot_name, slot).second;
}

bool unregister_slot(const std::string& slot_name) {
  Tables& t = tables();
  auto slot = t.slots.find(slot_name);
  if (slot == t.slots.end()) return false;
  t.slots.erase(slot);
  auto signals = t.signals_of_slot.find(slot_name);
  if (signals == t.signals_of_slot.end()) return true;
  std::vector<std::string> connected = std::move(signals->second);
  t.signals_of_slot.erase(signals);
  for (const std::string& signal_name : connected) drop_pair(signal_name, slot_name);
  return true;
}

void connect(const std::string& signal_name, const std::string& slot_name) {
  Tables& t = tables();
  Run& run = t.runs[signal_name];
  if (find_live(run, slot_name) != run.connections.end()) return;
  run.connections.push_back(Connection{slot_name});
  t.signals_of_slot[slot_name].push_back(signal_name);
}

void disconnect(const std::string& signal_name, const std::string& slot_name) {
  if (!drop_pair(signal_name, slot_name)) return;
  auto& index = tables().signals_of_slot;
  auto signals = index.find(slot_name);
  if (signals == index.end()) return;
  auto& list = signals->second;
  list.erase(std::find(list.begin(), list.end(), signal_name));
  if (list.empty()) index.erase(signals);
}

bool rise_signal(const std::string& signal_name, SlotArgs* args) {
  Tables& t = tables();
  auto run_it = t.runs.find(signal_name);
  if (run_it == t.runs.end()) return false;
  Run& run = run_it->second;
  if (run.deliveries_in_progress >= kMaxDeliveryDepth) {
    if (!run.depth_reported)
      signal_line(tarnvale::Severity::warning,
                  "\"" + signal_name + "\" risen again inside its own delivery " +
                      std::to_string(kMaxDeliveryDepth) + " deep: not delivered further");
    run.depth_reported = true;
    return false;
  }
  const uint64_t delivery = ++t.last_delivery;
  const std::size_t first_pass_end = run.connections.size();
  DeliveryGuard guard(run_it);
  // Indexes, not iterators: slots may append to this very run while they are called.
  for (std::size_t i = 0; i < run.connections.size(); ++i) {
    if (!run.connections[i].live) continue;
    if (i >= first_pass_end && already_reached(run, i, delivery)) continue;
    auto slot = t.slots.find(run.connections[i].slot_name);
    if (slot == t.slots.end()) continue;
    if (slot->second == nullptr) {
      unregister_slot(std::string(slot->first));
      continue;
    }
    run.connections[i].delivery = delivery;
    if (slot->second->call(args)) return true;
  }
  return false;
}

bool send_signal_to(const std::string& unused, SlotArgs* args, const std::string& slot_name) {
  (void)unused;
  auto slot = tables().slots.find(slot_name);
  // A name registered with no slot behind it cannot be called.
  if (slot == tables().slots.end() || slot->second == nullptr) return false;
  slot->second->call(args);
  return true;
}

void print_slot_map() {
  std::vector<const std::pair<const std::string, Run>*> runs;
  for (const auto& entry : tables().runs) runs.push_back(&entry);
  std::sort(runs.begin(), runs.end(), [](auto* a, auto* b) { return a->first < b->first; });
  signal_line(tarnvale::Severity::debug, "SIGNAL->SLOT map");
  for (const auto* run : runs)
    for (const Connection& c : run->second.connections)
      if (c.live) signal_line(tarnvale::Severity::debug, "\"" + run->first + "\" -> \"" + c.slot_name + "\"");
}
