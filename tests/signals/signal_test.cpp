#include <gtest/gtest.h>

#include "twinkel/signals.h"

namespace {

class Recorder {
public:
  bool slot__on_signal(SlotArgs* args) {
    ++calls;
    last = *args;
    return false;
  }
  int calls = 0;
  SlotArgs last;
};

TEST(Signal, UnconnectedRiseAnswersFalseAndKeepsParameters) {
  Signal s("sigobj->nothing");
  s.add_params(int64_t{3});
  EXPECT_FALSE(s.rise());
  EXPECT_EQ(s.get_name(), "sigobj->nothing");
  Signal unnamed;
  EXPECT_EQ(unnamed.get_name(), "");
}

TEST(Signal, ParameterListsAppendOrReplace) {
  Recorder r;
  Slot<Recorder> slot(&r, &Recorder::slot__on_signal);
  register_slot("sigobj->rec", &slot);
  connect("sigobj->sig", "sigobj->rec");

  Signal s("sigobj->sig");
  s.add_params(int64_t{1});
  s.add_params(std::vector<int32_t>{-2, 3});  // appended, widened with sign
  s.add_params(0.5f);
  s.add_params(std::string("text"));
  s.add_params(7);      // a plain int goes to the integers
  s.add_params(0.25);   // a double to the floats
  s.rise();
  EXPECT_EQ(r.last.int_params, (std::vector<int64_t>{1, -2, 3, 7}));
  EXPECT_EQ(r.last.float_params, (std::vector<float>{0.5f, 0.25f}));
  EXPECT_EQ(r.last.string_params, std::vector<std::string>{"text"});

  s.add_params(std::vector<int64_t>{9});  // replaces
  s.add_params(std::vector<float>{});     // replaces
  s.rise();
  EXPECT_EQ(r.last.int_params, std::vector<int64_t>{9});
  EXPECT_TRUE(r.last.float_params.empty());
  EXPECT_EQ(r.last.string_params.size(), 1u);

  // A copy keeps its parameters after the original is cleared and renamed.
  Signal copy(s);
  s.clear_params();
  s.set_name("sigobj->elsewhere");
  copy.rise();
  EXPECT_EQ(r.last.int_params, std::vector<int64_t>{9});
  EXPECT_EQ(r.calls, 3);
  s.rise();
  EXPECT_EQ(r.calls, 3);

  SlotArgs pack;
  pack.string_params = {"a", "b"};
  Signal assigned;
  assigned = copy;
  assigned.set_params(pack);
  assigned.rise();
  EXPECT_TRUE(r.last.int_params.empty());
  EXPECT_EQ(r.last.string_params.size(), 2u);
  unregister_slot("sigobj->rec");
}

TEST(Signal, BaseSlotComplainsAndConsumes) {
  AbstractSlot base;
  register_slot("sigobj->base", &base);
  connect("sigobj->basesig", "sigobj->base");
  testing::internal::CaptureStderr();
  EXPECT_TRUE(Signal("sigobj->basesig").rise());
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Impossible happened!\n");
  unregister_slot("sigobj->base");

  SlotAssert pair("one", "two");
  SlotAssert other = pair;
  EXPECT_EQ(other.first, "one");
  EXPECT_EQ(other.second, "two");
}

}  // namespace
