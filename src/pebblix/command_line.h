#pragma once
// The program's command line: `tarnvale [OPTIONS] [DIR]`. One table of options serves the
// parser, --help and the reference; a new option is one entry of it.

#include <string>
#include <vector>

struct CommandLine {
  bool help = false, version = false;
  bool headless = false, quiet = false, verbose = false;
  bool check = false, strict = false, watch = false;
  std::string scene;                  // start scene; empty: Options->StartScene
  long frames = 0;                    // quit after that many frames; 0: run on
  std::string input_file, trace_file;
  bool seed_given = false;
  unsigned long seed = 0;
  std::string record_file, replay_file;
  std::string dir;                    // the game's folder; empty: the working directory
};

// Reads the arguments after the program's name. false with one usage line naming the option or
// value at fault in *error.
bool parse_command_line(const std::vector<std::string>& args, CommandLine* line,
                        std::string* error);

// What --help prints.
std::string command_line_help();
// The options and the input, trace and replay file formats in Markdown, for the reference.
std::string command_line_reference();
