// The program's command line as the parser reads it: values, their faults and the usage line.

#include <gtest/gtest.h>

#include "command_line.h"

namespace {

bool parse(const std::vector<std::string>& args, CommandLine* line, std::string* error) {
  *line = CommandLine();
  error->clear();
  return parse_command_line(args, line, error);
}

TEST(CommandLine, OptionsAndTheFolderAreRead) {
  CommandLine line;
  std::string error;
  ASSERT_TRUE(parse({"--headless", "--frames", "600", "--trace=t.txt", "--input", "in.txt",
                     "--seed", "4294967295", "-q", "--scene", "game", "--strict", "--watch", "my game"},
                    &line, &error))
      << error;
  EXPECT_TRUE(line.headless && line.quiet && line.strict && line.watch);
  EXPECT_FALSE(line.verbose || line.check || line.help);
  EXPECT_EQ(line.frames, 600);
  EXPECT_EQ(line.trace_file, "t.txt");
  EXPECT_EQ(line.input_file, "in.txt");
  EXPECT_TRUE(line.seed_given);
  EXPECT_EQ(line.seed, 4294967295UL);
  EXPECT_EQ(line.scene, "game");
  EXPECT_EQ(line.dir, "my game");

  ASSERT_TRUE(parse({}, &line, &error));
  EXPECT_TRUE(line.dir.empty() && !line.headless && !line.seed_given && line.frames == 0);
  // After "--" a folder may look like an option.
  ASSERT_TRUE(parse({"-v", "--", "--odd"}, &line, &error));
  EXPECT_TRUE(line.verbose);
  EXPECT_EQ(line.dir, "--odd");
}

TEST(CommandLine, AFaultGivesOneUsageLineNamingIt) {
  const struct {
    std::vector<std::string> args;
    std::string named;
  } cases[] = {
      {{"--fast"}, "unknown option \"--fast\""},
      {{"-x"}, "unknown option \"-x\""},
      {{"--frames"}, "--frames needs N"},
      {{"--frames", "0"}, "--frames N: \"0\" is not a whole number from 1"},
      {{"--frames", "12x"}, "--frames N: \"12x\""},
      {{"--frames", "99999999999999999999"}, "--frames N"},
      {{"--seed", "-1"}, "--seed N: \"-1\""},
      {{"--seed=4294967296"}, "--seed N: \"4294967296\""},
      {{"--scene="}, "--scene NAME: \"\" is empty"},
      {{"--quiet=yes"}, "--quiet takes no value"},
      {{"a", "b"}, "a second folder \"b\""},
      {{"-q", "-v"}, "--verbose contradicts --quiet"},
      {{"--replay", "r", "--record", "s"}, "--record cannot record a replay"},
      {{"--replay", "r", "--input", "i"}, "--input"},
      {{"--replay", "r", "--seed", "1"}, "--seed"},
      {{"--record", "r", "--headless"}, "--record records a window's input"},
      {{"--watch", "--replay", "r"}, "--watch would change the data under a replay"},
  };
  for (const auto& c : cases) {
    CommandLine line;
    std::string error;
    EXPECT_FALSE(parse(c.args, &line, &error)) << c.named;
    EXPECT_NE(error.find(c.named), std::string::npos) << error;
    EXPECT_NE(error.find("usage: tarnvale [OPTIONS] [DIR]"), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
  }
}

}  // namespace
