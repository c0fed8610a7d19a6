#include "tarnvale/number_limits.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

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

TEST(NumberLimits, EveryDefaultPassesItsOwnCheckAndKeysAreUnique) {
  for (const NumberLimit& limit : kNumberLimits) {
    double value = 0;
    std::string reason;
    EXPECT_TRUE(check_number(limit, std::string(limit.fallback), &value, &reason)) << limit.key;
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
  EXPECT_EQ(reason_for("StoneEmitter->emitCount", "2.5"), "is not a whole number");
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
  // A value too small for a double reads as zero, which the range then judges.
  EXPECT_TRUE(check_number(*find_number_limit("Scene->gravity_y"), "1e-400", &value, &reason));
}

TEST(NumberLimits, ReadNumberReportsOneLineAndFallsBackOrSkips) {
  MapConfig config;
  config.values["Objects->w->Border->rotation"] = "nan";
  config.values["Objects->w->SceneObject->absolute_x"] = "inf";
  std::ostringstream log;
  double value = 7;

  EXPECT_TRUE(read_number(&config, "Objects->w->", "Border->rotation", "res/l.lvl", &value, log));
  EXPECT_EQ(value, 0);
  EXPECT_EQ(log.str(), "res/l.lvl: Objects->w->Border->rotation \"nan\" is not finite; using 0\n");

  log.str("");
  EXPECT_FALSE(read_number(&config, "Objects->w->", "SceneObject->absolute_x", "res/l.lvl", &value, log));
  EXPECT_EQ(log.str(),
            "res/l.lvl: Objects->w->SceneObject->absolute_x \"inf\" is not finite; the object is left out\n");

  // An absent key takes the default silently and is stored, as get_value does everywhere.
  log.str("");
  EXPECT_TRUE(read_number(&config, "", "Scene->timeStep", "g.scn", &value, log));
  EXPECT_FLOAT_EQ(value, 0.0166666666);
  EXPECT_EQ(log.str(), "");
  EXPECT_EQ(config.values["Scene->timeStep"], "0.0166666666");
}
