// A plain library for the module loader tests: two symbols and state that a fresh load resets.

namespace {
int calls = 0;
}

extern "C" int testing_answer() { return 42; }
extern "C" int testing_count_calls() { return ++calls; }
