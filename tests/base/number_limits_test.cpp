#include "tarnvale/number_limits.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tarnvale/diagnostics.h"
#include "tarnvale/indexed_list.h"

using tarnvale::check_number;
using tarnvale::find_number_limit;
using tarnvale::kNumberLimits;
using tarnvale::NumberLimit;
using tarnvale::read_number;

namespace {

// The part of a configuration read_number uses: absent keys take the default.
struct MapConfig {
  std::map<std::string, std::string> values;
  std::string get_value(const std::string& key, const std::string& fallback) {
    return values.emplace(key, fallback).first->second;
  }
};

std::string reason_for(const char* key, const std::string& text) {
  double value = 0;
  std::string reason;
  EXPECT_FALSE(check_number(*find_number_limit(key), text, &value, &reason)) << text;
  return reason;
}

}  // namespace

// An empty default is none: the key is read only where it is written, and a bad value is ignored.
TEST(NumberLimits, EveryDefaultPassesItsOwnCheckAndKeysAreUnique) {
  for (const NumberLimit& limit : kNumberLimits) {
    double value = 0;
    std::string reason;
    EXPECT_TRUE(limit.fallback.empty() || check_number(limit, std::string(limit.fallback), &value, &reason))
        << limit.key;
    EXPECT_TRUE(!limit.fallback.empty() || limit.on_bad == tarnvale::OnBadNumber::use_default) << limit.key;
    EXPECT_EQ(find_number_limit(limit.key), &limit) << limit.key;
    EXPECT_LE(limit.min, limit.max) << limit.key;
  }
}

TEST(NumberLimits, BadTextsAreRefusedWithTheirReason) {
  EXPECT_EQ(reason_for("SceneObject->absolute_x", "inf"), "is not finite");
  EXPECT_EQ(reason_for("Border->rotation", "nan"), "is not finite");
  EXPECT_EQ(reason_for("Border->rotation", "1e999"), "is not finite");
  EXPECT_EQ(reason_for("Border->rotation", "abc"), "is not a number");
  EXPECT_EQ(reason_for("Border->rotation", ""), "is not a number");
  EXPECT_EQ(reason_for("Border->rotation", "12abc"), "is not a number");
  EXPECT_EQ(reason_for("StoneEmitter->initialEmit", "1000000000"), "is out of range 0 to 1000");
  EXPECT_EQ(reason_for("Video->Width", "65600"), "is out of range 1 to 16384");
  EXPECT_EQ(reason_for("Video->Height", "0"), "is out of range 1 to 16384");
  EXPECT_EQ(reason_for("Video->LimitFPS", "0.000001"), "is out of range 1 to 10000 (or 0 for off)");
}

TEST(NumberLimits, GoodTextsAreRead) {
  double value = 0;
  std::string reason;
  EXPECT_TRUE(check_number(*find_number_limit("Video->LimitFPS"), "0", &value, &reason));
  EXPECT_EQ(value, 0);
  EXPECT_TRUE(check_number(*find_number_limit("Scene->velocityIterations"), " 12 ", &value, &reason));
  EXPECT_EQ(value, 12);
  EXPECT_TRUE(check_number(*find_number_limit("Scene->gravity_y"), "-60", &value, &reason));
  EXPECT_EQ(value, -60);
  // Whole numbers as the engine always read them: octal, hexadecimal, fractions cut.
  EXPECT_TRUE(check_number(*find_number_limit("StoneEmitter->stoneTypeCount"), "010", &value, &reason));
  EXPECT_EQ(value, 8);
  EXPECT_TRUE(check_number(*find_number_limit("StoneEmitter->stoneTypeCount"), "0x10", &value, &reason));
  EXPECT_EQ(value, 16);
  EXPECT_TRUE(check_number(*find_number_limit("Scene->velocityIterations"), "7.9", &value, &reason));
  EXPECT_EQ(value, 7);
  // A value too small for a double reads as zero, which the range then judges.
  EXPECT_TRUE(check_number(*find_number_limit("Scene->gravity_y"), "1e-400", &value, &reason));
}

TEST(NumberLimits, ReadNumberReportsOneRecordAndFallsBackOrSkips) {
  MapConfig config;
  config.values["Objects->w->Border->rotation"] = "nan";
  config.values["Objects->w->SceneObject->absolute_x"] = "inf";
  std::vector<tarnvale::Diagnostic> heard;
  tarnvale::Listening listening([&](const tarnvale::Diagnostic& record) { heard.push_back(record); },
                                tarnvale::Printing::held);
  double value = 7;

  EXPECT_TRUE(read_number(&config, "Objects->w->", "Border->rotation", "res/l.lvl", &value));
  EXPECT_EQ(value, 0);
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard[0].severity, tarnvale::Severity::warning);
  EXPECT_EQ(heard[0].file, "res/l.lvl");
  EXPECT_EQ(heard[0].key, "Objects->w->Border->rotation");
  EXPECT_EQ(tarnvale::printed_line(heard[0]),
            "res/l.lvl: Objects->w->Border->rotation \"nan\" is not finite; using 0");

  // Left out: the line goes back to the caller, whose failed load reports it.
  std::string left_out;
  EXPECT_FALSE(read_number(&config, "Objects->w->", "SceneObject->absolute_x", "res/l.lvl", &value,
                           &left_out));
  EXPECT_EQ(left_out,
            "res/l.lvl: Objects->w->SceneObject->absolute_x \"inf\" is not finite; the object is left out");
  EXPECT_EQ(heard.size(), 1u);

  // An absent key takes the default silently and is stored, as get_value does everywhere.
  EXPECT_TRUE(read_number(&config, "", "Scene->timeStep", "g.scn", &value));
  EXPECT_FLOAT_EQ(value, 0.0166666666);
  EXPECT_EQ(heard.size(), 1u);
  EXPECT_EQ(config.values["Scene->timeStep"], "0.0166666666");
}

TEST(NumberLimits, FlagsAreYesOnlyForTheirExactYesWord) {
  MapConfig config;
  config.values["a->SceneObject->show"] = "yes";
  config.values["b->SceneObject->show"] = "True";
  config.values["c->SceneObject->show"] = "true";
  config.values["Video->VBO"] = "true";
  config.values["Video->HideMouse"] = "yes";
  EXPECT_FALSE(tarnvale::read_flag(&config, "a->", "SceneObject->show"));
  EXPECT_FALSE(tarnvale::read_flag(&config, "b->", "SceneObject->show"));
  EXPECT_TRUE(tarnvale::read_flag(&config, "c->", "SceneObject->show"));
  EXPECT_FALSE(tarnvale::read_flag(&config, "", "Video->VBO"));
  EXPECT_TRUE(tarnvale::read_flag(&config, "", "Video->HideMouse"));
  // Absent: the default, stored as get_value stores it.
  EXPECT_TRUE(tarnvale::read_flag(&config, "d->", "SceneObject->show"));
  EXPECT_EQ(config.values["d->SceneObject->show"], "true");
  EXPECT_FALSE(tarnvale::read_flag(&config, "d->", "Timer->repeat"));
  for (const tarnvale::FlagLimit& limit : tarnvale::kFlagLimits)
    EXPECT_EQ(tarnvale::find_flag_limit(limit.key), &limit) << limit.key;
}

TEST(IndexedList, StopsAtTheFirstMissingEntry) {
  MapConfig config;
  config.values["List->Item0->name"] = "a";
  config.values["List->Item1->name"] = "b";
  config.values["List->Item3->name"] = "hidden behind the gap";
  std::vector<std::string> names;
  tarnvale::for_each_listed(&config, "List->Item", "->", "name",
                            [&](const std::string& prefix, const std::string& name, int index) {
                              EXPECT_EQ(prefix, "List->Item" + std::to_string(index) + "->");
                              names.push_back(name);
                            });
  EXPECT_EQ(names, (std::vector<std::string>{"a", "b"}));
  int visits = 0;
  tarnvale::for_each_index("x", "", [&](const std::string&, int) { return ++visits < 3; });
  EXPECT_EQ(visits, 3);
}

TEST(Diagnostics, DefaultLinesKeepTheirFormsAndListenersHoldPrinting) {
  tarnvale::Diagnostic game =
      tarnvale::diagnostic_here(tarnvale::Severity::error, tarnvale::Voice::game, "a.cpp", 12, "load");
  game.text = "Error with config";
  EXPECT_EQ(tarnvale::printed_line(game), "CRITICAL ERROR at a.cpp:12(load):Error with config");
  game.severity = tarnvale::Severity::debug;
  EXPECT_EQ(tarnvale::printed_line(game), "DEBUG MESSAGE at a.cpp:12(load):Error with config");
  game.severity = tarnvale::Severity::info;
  EXPECT_EQ(tarnvale::printed_line(game), "INFO:Error with config");
  tarnvale::Diagnostic scene =
      tarnvale::diagnostic_here(tarnvale::Severity::error, tarnvale::Voice::scene, "s.cpp", 7);
  scene.text = "No object";
  EXPECT_EQ(tarnvale::printed_line(scene), "SCENE:7: No object");
  tarnvale::Diagnostic widget =
      tarnvale::diagnostic_here(tarnvale::Severity::error, tarnvale::Voice::panolet, "u.cpp", 3, "f");
  widget.text = "x";
  EXPECT_EQ(tarnvale::printed_line(widget), "Panolet(u.cpp:3(f)x");

  testing::internal::CaptureStderr();
  int heard = 0;
  {
    tarnvale::Listening besides([&](const tarnvale::Diagnostic&) { ++heard; });
    tarnvale::report(scene);
    {
      tarnvale::Listening holding([&](const tarnvale::Diagnostic&) { ++heard; },
                                  tarnvale::Printing::held);
      tarnvale::report(scene);
    }
  }
  tarnvale::report(scene);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "SCENE:7: No object\nSCENE:7: No object\n");
  EXPECT_EQ(heard, 3);
}
