#pragma once
// The data checker: loads a data folder through the engine's libraries on the windowless driver
// and finds what would go wrong only when played.

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

struct Problem {
  std::string file;
  long line = 0;
  std::string text;
};

// Checks the data folder (the working directory the game would start in), writing one
// "FILE:LINE: problem" line each to `out` and why it could not run to `err`. Returns 0 when
// clean, 1 when problems were found, 2 when it could not run. Once per process: the libraries
// keep what they load, the image loaders no longer keep pixels, and the process runs quiet
// (TARNVALE_QUIET). The video driver of
// cfg/Video.cfg is loaded to see that it loads, unless load_video_driver is false: the check of a
// run that loads that driver itself, which fails start-up when it cannot.
int check_data_folder(const std::string& dir, std::ostream& out, std::ostream& err,
                      bool load_video_driver = true);
// Writes the reference of the data format to `out`; with a data folder, its game modules' types
// too (a module that cannot be loaded is named on `err`). 0, or 2 when the folder cannot be had.
// Once per process, as above.
int print_reference(const std::string& dir, std::ostream& out, std::ostream& err);

// Levenshtein distance of two names.
std::size_t edit_distance(const std::string& a, const std::string& b);
// The candidate closest to `name`, when close enough to be a likely typo; empty otherwise.
std::string closest_name(const std::string& name, const std::vector<std::string>& candidates);
