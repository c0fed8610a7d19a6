// Delivery cost of one signal while many other slots and connections exist, and libsigc++ 2
// emitting to one slot for comparison.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "twinkel/signals.h"

#ifdef HAVE_SIGCPP2
#include <sigc++/sigc++.h>
#endif

namespace {

class Receiver {
public:
  bool slot__on_signal(SlotArgs* args) {
    benchmark::DoNotOptimize(args);
    ++calls;
    return false;
  }
  long calls = 0;
};

// 10,000 registered slots, each connected to a signal of its own, named like scene objects'.
class Crowd {
public:
  Crowd() : slot_(&receiver_, &Receiver::slot__on_signal) {
    for (int i = 0; i < 10000; ++i) {
      const std::string object = "level_scene->stone" + std::to_string(i);
      register_slot(object + "->slot__on_mouse_release", &slot_);
      connect(object + "->released", object + "->slot__on_mouse_release");
    }
  }

private:
  Receiver receiver_;
  Slot<Receiver> slot_;
};

void ensure_crowd() { static Crowd crowd; }

// Connects `count` receivers to one signal; unregisters them at the end.
class Audience {
public:
  Audience(const std::string& signal_name, int count) {
    for (int i = 0; i < count; ++i) {
      names_.push_back("level_scene->listener" + std::to_string(i) + "->slot__on_new_cycle");
      slots_.push_back(std::make_unique<Slot<Receiver>>(&receiver, &Receiver::slot__on_signal));
      register_slot(names_.back(), slots_.back().get());
      connect(signal_name, names_.back());
    }
  }
  ~Audience() {
    for (const auto& name : names_) unregister_slot(name);
  }
  Receiver receiver;

private:
  std::vector<std::string> names_;
  std::vector<std::unique_ptr<Slot<Receiver>>> slots_;
};

void BM_rise_signal(benchmark::State& state) {
  ensure_crowd();
  const std::string signal_name = "level_scene->new_cycle";
  Audience audience(signal_name, static_cast<int>(state.range(0)));
  SlotArgs args;
  for (auto _ : state) benchmark::DoNotOptimize(rise_signal(signal_name, &args));
  state.counters["slots_called"] =
      benchmark::Counter(static_cast<double>(audience.receiver.calls), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_rise_signal)->Arg(1)->Arg(10);

void BM_Signal_rise_three_parameters(benchmark::State& state) {
  ensure_crowd();
  Audience audience("level_scene->mouse_press", 1);
  Signal signal("level_scene->mouse_press");
  // The pattern of every sender: clear, add in the agreed order, rise.
  for (auto _ : state) {
    signal.clear_params();
    signal.add_params(0.25f);
    signal.add_params(-0.5f);
    signal.add_params(int64_t{1});
    benchmark::DoNotOptimize(signal.rise());
  }
}
BENCHMARK(BM_Signal_rise_three_parameters);

#ifdef HAVE_SIGCPP2
void BM_sigcpp2_emit(benchmark::State& state) {
  Receiver receiver;
  sigc::signal<bool, SlotArgs*> signal;
  signal.connect(sigc::mem_fun(receiver, &Receiver::slot__on_signal));
  SlotArgs args;
  for (auto _ : state) benchmark::DoNotOptimize(signal.emit(&args));
}
BENCHMARK(BM_sigcpp2_emit);
#endif

}  // namespace
