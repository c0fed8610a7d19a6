#pragma once
// Named slots, connections from signal names to slot names, and the signal object that carries
// an argument pack to them. One thread; nothing here locks.

#include <cstdint>
#include <iostream>
#include <string>
#include <type_traits>
#include <vector>

// The argument pack of a signal. Sender and slot agree per signal on what stands where.
struct SlotArgs {
  std::vector<int64_t> int_params;
  std::vector<float> float_params;
  std::vector<std::string> string_params;
};

// A callable endpoint. Each library compiles this and Slot<T> into itself.
class AbstractSlot {
public:
  AbstractSlot() = default;
  AbstractSlot(const AbstractSlot&) = default;
  AbstractSlot& operator=(const AbstractSlot&) = default;

  // true consumes the signal: later slots of the same signal get nothing.
  virtual bool call(SlotArgs* args) {
    (void)args;
    std::cerr << "Impossible happened!" << std::endl;
    return true;
  }
  virtual ~AbstractSlot() = default;
};

// Binds a member function of one object. Owns neither the object nor the pack.
template <typename T>
class Slot : public AbstractSlot {
public:
  using Handler = bool (T::*)(SlotArgs*);

  Slot(T* object, Handler handler) : object_(object), handler_(handler) {}

  bool call(SlotArgs* args) override { return (object_->*handler_)(args); }

private:
  T* object_;
  Handler handler_;
};

// Plain (undecorated) names, except connect: the POSIX socket call owns the plain "connect".
extern "C" {

// Slot registry. The registry only points to the slots: unregister before deleting one.
// false when the name is taken (the first slot stays).
bool register_slot(const std::string& slot_name, AbstractSlot* slot);
// false when the name is unknown; otherwise also drops every connection to that slot name.
bool unregister_slot(const std::string& slot_name);

// Connection map. A (signal, slot) pair exists at most once; equal signals keep connection order.
void disconnect(const std::string& signal_name, const std::string& slot_name);

// Calls the connected slots in connection order until one answers true; true if one did.
// Slots may connect, disconnect, unregister and rise further signals while they run; a
// connection made to the same signal during delivery is delivered in the same pass.
bool rise_signal(const std::string& signal_name, SlotArgs* args);

// Calls the named slot once, whatever is connected; false only when the name is unknown.
// The first argument is not read.
bool send_signal_to(const std::string& unused, SlotArgs* args, const std::string& slot_name);

// Writes the connection map to standard error, one line per connection.
void print_slot_map();

}  // extern "C"

void connect(const std::string& signal_name, const std::string& slot_name);

// A signal name with its parameters, risen through rise_signal.
class Signal {
public:
  Signal(std::string name = std::string());
  Signal(const Signal& other);
  Signal& operator=(const Signal& other);
  ~Signal();

  std::string get_name();
  void set_name(const std::string& name);

  void add_params(int64_t value);
  void add_params(float value);
  void add_params(std::string value);
  // Other numbers (int, double, size_t, ...): whole numbers go to the integers, the rest to
  // the floats, so that add_params(1) or add_params(0.5) is not ambiguous.
  template <typename N, typename = std::enable_if_t<std::is_arithmetic_v<N>>>
  void add_params(N value) {
    if constexpr (std::is_integral_v<N>)
      add_params(static_cast<int64_t>(value));
    else
      add_params(static_cast<float>(value));
  }
  // Appends each value, widened with sign.
  void add_params(std::vector<int32_t> values);
  // These two replace the whole list.
  void add_params(std::vector<int64_t> values);
  void add_params(std::vector<float> values);

  void clear_params();
  void set_params(const SlotArgs& params);

  bool rise();

private:
  std::string name_;
  SlotArgs params_;
};

// Two strings, set at construction.
class SlotAssert {
public:
  SlotAssert(std::string first, std::string second);
  SlotAssert(const SlotAssert& other);
  SlotAssert& operator=(const SlotAssert& other);
  ~SlotAssert();

  std::string first;
  std::string second;
};
