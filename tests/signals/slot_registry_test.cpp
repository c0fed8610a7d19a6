#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "twinkel/signals.h"

namespace {

// A slot that logs its calls and then runs an optional action.
class Probe {
public:
  Probe(std::string name, std::vector<std::string>* log, bool answer = false)
      : name_(std::move(name)), log_(log), answer_(answer), slot_(this, &Probe::slot__on_signal) {}
  ~Probe() { unregister_slot(name_); }

  bool slot__on_signal(SlotArgs* args) {
    log_->push_back(name_);
    last_args_ = *args;
    if (action) action();
    return answer_;
  }

  bool enrol() { return register_slot(name_, &slot_); }
  const std::string& name() const { return name_; }
  const SlotArgs& last_args() const { return last_args_; }
  std::function<void()> action;

private:
  std::string name_;
  std::vector<std::string>* log_;
  bool answer_;
  Slot<Probe> slot_;
  SlotArgs last_args_;
};

std::vector<std::string> names(std::initializer_list<const char*> list) {
  return std::vector<std::string>(list.begin(), list.end());
}

std::string printed_map() {
  testing::internal::CaptureStderr();
  print_slot_map();
  return testing::internal::GetCapturedStderr();
}

TEST(SlotRegistry, RegisterTwiceKeepsTheFirstSlot) {
  std::vector<std::string> log;
  Probe first("reg->twice", &log);
  Probe second("reg->twice", &log);
  EXPECT_TRUE(first.enrol());
  EXPECT_FALSE(second.enrol());
  connect("reg->sig", "reg->twice");
  SlotArgs args;
  rise_signal("reg->sig", &args);
  EXPECT_EQ(log, names({"reg->twice"}));
  EXPECT_TRUE(unregister_slot("reg->twice"));
  EXPECT_FALSE(unregister_slot("reg->twice"));
}

TEST(SlotRegistry, DeliveryStopsAtTheFirstSlotAnsweringTrue) {
  std::vector<std::string> log;
  Probe a("stop->a", &log), b("stop->b", &log, true), c("stop->c", &log);
  a.enrol(), b.enrol(), c.enrol();
  for (const char* slot : {"stop->a", "stop->b", "stop->c"}) connect("stop->sig", slot);
  SlotArgs args;
  args.int_params = {7};
  EXPECT_TRUE(rise_signal("stop->sig", &args));
  EXPECT_EQ(log, names({"stop->a", "stop->b"}));
  EXPECT_EQ(b.last_args().int_params, std::vector<int64_t>{7});

  log.clear();
  disconnect("stop->sig", "stop->b");
  EXPECT_FALSE(rise_signal("stop->sig", &args));
  EXPECT_EQ(log, names({"stop->a", "stop->c"}));
}

TEST(SlotRegistry, ConnectionOrderIsKeptNotNameOrder) {
  std::vector<std::string> log;
  Probe z("order->z", &log), m("order->m", &log), a("order->a", &log);
  z.enrol(), m.enrol(), a.enrol();
  connect("order->sig", "order->z");
  connect("order->sig", "order->a");
  connect("order->sig", "order->m");
  connect("order->sig", "order->z");  // already there: stays first
  SlotArgs args;
  rise_signal("order->sig", &args);
  EXPECT_EQ(log, names({"order->z", "order->a", "order->m"}));
}

TEST(SlotRegistry, DuplicateConnectLeavesOneThatDisconnectRemoves) {
  std::vector<std::string> log;
  Probe p("dup->slot", &log);
  p.enrol();
  connect("dup->sig", "dup->slot");
  connect("dup->sig", "dup->slot");
  SlotArgs args;
  rise_signal("dup->sig", &args);
  EXPECT_EQ(log.size(), 1u);
  disconnect("dup->sig", "dup->slot");
  EXPECT_FALSE(rise_signal("dup->sig", &args));
  EXPECT_EQ(log.size(), 1u);
  EXPECT_EQ(printed_map().find("dup->"), std::string::npos);
}

TEST(SlotRegistry, LateRegistrationAndUnknownNames) {
  std::vector<std::string> log;
  connect("late->sig", "late->never");
  connect("late->sig", "late->later");
  SlotArgs args;
  EXPECT_FALSE(rise_signal("late->sig", &args));
  Probe later("late->later", &log, true);
  later.enrol();
  EXPECT_TRUE(rise_signal("late->sig", &args));
  EXPECT_EQ(log, names({"late->later"}));
  const std::string map = printed_map();
  EXPECT_NE(map.find("SIGNAL:\"late->sig\" -> \"late->never\"\n"), std::string::npos);
  // Harmless no-ops on names that match nothing.
  disconnect("late->sig", "late->nothing");
  disconnect("late->nothing", "late->never");
  EXPECT_FALSE(unregister_slot("late->nothing"));
  EXPECT_FALSE(rise_signal("late->nothing", &args));
  disconnect("late->sig", "late->never");
}

TEST(SlotRegistry, UnregisterDropsConnectionsOfEverySignal) {
  std::vector<std::string> log;
  {
    Probe p("unreg->slot", &log);
    p.enrol();
    connect("unreg->one", "unreg->slot");
    connect("unreg->two", "unreg->slot");
  }  // the probe unregisters itself
  Probe again("unreg->slot", &log);
  again.enrol();
  SlotArgs args;
  EXPECT_FALSE(rise_signal("unreg->one", &args));
  EXPECT_FALSE(rise_signal("unreg->two", &args));
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(printed_map().find("unreg->"), std::string::npos);
}

TEST(SlotRegistry, NullSlotIsUnregisteredOnDelivery) {
  std::vector<std::string> log;
  Probe after("null->after", &log);
  after.enrol();
  EXPECT_TRUE(register_slot("null->empty", nullptr));
  connect("null->sig", "null->empty");
  connect("null->sig", "null->after");
  SlotArgs args;
  EXPECT_FALSE(rise_signal("null->sig", &args));
  EXPECT_EQ(log, names({"null->after"}));
  EXPECT_FALSE(unregister_slot("null->empty"));
  EXPECT_FALSE(send_signal_to("", &args, "null->empty"));
}

TEST(SlotRegistry, SendReachesRegisteredSlotsOnly) {
  std::vector<std::string> log;
  Probe p("send->slot", &log, false);
  p.enrol();
  SlotArgs args;
  args.string_params = {"hello"};
  EXPECT_TRUE(send_signal_to("ignored", &args, "send->slot"));
  EXPECT_EQ(p.last_args().string_params, std::vector<std::string>{"hello"});
  EXPECT_FALSE(send_signal_to("ignored", &args, "send->absent"));
  EXPECT_EQ(log.size(), 1u);
}

TEST(SlotRegistry, PrintedMapIsSortedBySignalThenConnectionOrder) {
  connect("print->b", "print->second");
  connect("print->a", "print->z");
  connect("print->b", "print->first");
  connect("print->a", "print->y");
  const std::string map = printed_map();
  EXPECT_EQ(map.rfind("SIGNAL:SIGNAL->SLOT map\n", 0), 0u);
  const std::string expected =
      "SIGNAL:\"print->a\" -> \"print->z\"\n"
      "SIGNAL:\"print->a\" -> \"print->y\"\n"
      "SIGNAL:\"print->b\" -> \"print->second\"\n"
      "SIGNAL:\"print->b\" -> \"print->first\"\n";
  EXPECT_NE(map.find(expected), std::string::npos) << map;
  for (auto [sig, slot] : {std::pair{"print->b", "print->second"}, {"print->a", "print->z"},
                           {"print->b", "print->first"}, {"print->a", "print->y"}})
    disconnect(sig, slot);
}

// Re-entrant delivery: what slots may do to the tables while they are being called.

TEST(ReentrantDelivery, SlotDisconnectsAndUnregistersItself) {
  std::vector<std::string> log;
  auto a = std::make_unique<Probe>("self->a", &log);
  Probe b("self->b", &log), c("self->c", &log);
  a->enrol(), b.enrol(), c.enrol();
  for (const char* slot : {"self->a", "self->b", "self->c"}) connect("self->sig", slot);
  b.action = [] { disconnect("self->sig", "self->b"); };
  a->action = [] { unregister_slot("self->a"); };
  SlotArgs args;
  EXPECT_FALSE(rise_signal("self->sig", &args));
  EXPECT_EQ(log, names({"self->a", "self->b", "self->c"}));
  log.clear();
  rise_signal("self->sig", &args);
  EXPECT_EQ(log, names({"self->c"}));
}

TEST(ReentrantDelivery, LaterConnectionRemovedMidRunIsSafe) {
  std::vector<std::string> log;
  Probe a("later->a", &log);
  auto b = std::make_unique<Probe>("later->b", &log);
  Probe c("later->c", &log);
  a.enrol(), b->enrol(), c.enrol();
  for (const char* slot : {"later->a", "later->b", "later->c"}) connect("later->sig", slot);
  // a destroys b entirely (its slot object is freed) before b's turn comes.
  a.action = [&] { b.reset(); };
  SlotArgs args;
  rise_signal("later->sig", &args);
  EXPECT_EQ(log, names({"later->a", "later->c"}));
  log.clear();
  a.action = [] { disconnect("later->sig", "later->c"); };
  rise_signal("later->sig", &args);
  EXPECT_EQ(log, names({"later->a"}));
  disconnect("later->sig", "later->a");
}

TEST(ReentrantDelivery, ConnectionAddedDuringDeliveryIsDeliveredInTheSamePass) {
  std::vector<std::string> log;
  Probe a("add->a", &log), added("add->added", &log);
  a.enrol(), added.enrol();
  connect("add->sig", "add->a");
  // Also connect many others to another signal, so the tables grow while the run is walked.
  a.action = [] {
    for (int i = 0; i < 100; ++i) connect("add->other" + std::to_string(i), "add->x");
    connect("add->sig", "add->added");
  };
  SlotArgs args;
  rise_signal("add->sig", &args);
  EXPECT_EQ(log, names({"add->a", "add->added"}));
  for (int i = 0; i < 100; ++i) disconnect("add->other" + std::to_string(i), "add->x");
}

TEST(ReentrantDelivery, SlotReconnectingItselfIsNotCalledTwiceInOnePass) {
  std::vector<std::string> log;
  Probe a("again->a", &log);
  a.enrol();
  connect("again->sig", "again->a");
  a.action = [] {
    disconnect("again->sig", "again->a");
    connect("again->sig", "again->a");
  };
  SlotArgs args;
  rise_signal("again->sig", &args);
  EXPECT_EQ(log, names({"again->a"}));
  rise_signal("again->sig", &args);
  EXPECT_EQ(log.size(), 2u);
}

TEST(ReentrantDelivery, NestedRiseOfTheSameSignalAndThrowingSlot) {
  std::vector<std::string> log;
  Probe a("nest->a", &log), b("nest->b", &log);
  a.enrol(), b.enrol();
  connect("nest->sig", "nest->a");
  connect("nest->sig", "nest->b");
  int depth = 0;
  a.action = [&] {
    if (depth++ == 0) {
      SlotArgs inner;
      rise_signal("nest->sig", &inner);
      disconnect("nest->sig", "nest->a");
    }
  };
  SlotArgs args;
  rise_signal("nest->sig", &args);
  EXPECT_EQ(log, names({"nest->a", "nest->a", "nest->b", "nest->b"}));

  // A slot's out-of-range error reaches the sender and leaves the tables usable.
  b.action = [] { throw std::out_of_range("invalid vector<T> subscript"); };
  EXPECT_THROW(rise_signal("nest->sig", &args), std::out_of_range);
  b.action = [] { disconnect("nest->sig", "nest->b"); };
  log.clear();
  rise_signal("nest->sig", &args);
  EXPECT_EQ(log, names({"nest->b"}));
  EXPECT_FALSE(rise_signal("nest->sig", &args));
}

}  // namespace

namespace {

// A timer of time 0 wired to its own cycle slot rose its signal inside its own delivery until
// the stack overflowed.
TEST(ReentrantDelivery, ASignalRisenInsideItselfStopsAtTheDepthLimitWithOneMessage) {
  std::vector<std::string> log;
  Probe loop("loop->slot", &log), other("loop->other", &log);
  loop.enrol(), other.enrol();
  connect("loop->sig", "loop->slot");
  connect("other->sig", "loop->other");
  int other_depth = 0;
  loop.action = [&] {
    SlotArgs inner;
    // Another signal still reaches its slots at the deepest level.
    if (log.size() == 32) other_depth = rise_signal("other->sig", &inner) ? -1 : 1;
    rise_signal("loop->sig", &inner);
  };
  testing::internal::CaptureStderr();
  SlotArgs args;
  rise_signal("loop->sig", &args);
  rise_signal("loop->sig", &args);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(log.begin(), log.end(), "loop->slot"), 64);
  EXPECT_EQ(std::count(log.begin(), log.end(), "loop->other"), 1);
  EXPECT_EQ(other_depth, 1);
  EXPECT_EQ(err, "SIGNAL:\"loop->sig\" risen again inside its own delivery 32 deep: not delivered further\n");
  loop.action = nullptr;
  disconnect("loop->sig", "loop->slot");
  disconnect("other->sig", "loop->other");
}

}  // namespace
