#include "command_line.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sstream>

namespace {

using Apply = bool (*)(CommandLine& line, const std::string& value, std::string* problem);

struct OptionDoc {
  const char* name;        // "--frames"
  const char* short_name;  // "-q", or null
  const char* value;       // what follows it ("N"), or null for a switch
  const char* overrides;   // the configuration key it stands in for this run, or null
  const char* meaning;
  Apply apply;
};

bool whole(const std::string& text, long min, long max, long* value, std::string* problem) {
  errno = 0;
  char* end = nullptr;
  const long number = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || number < min || number > max) {
    *problem = "is not a whole number from " + std::to_string(min) + " to " + std::to_string(max);
    return false;
  }
  *value = number;
  return true;
}

bool not_empty(const std::string& text, std::string* field, std::string* problem) {
  if (text.empty()) {
    *problem = "is empty";
    return false;
  }
  *field = text;
  return true;
}

const std::vector<OptionDoc>& options() {
  static const std::vector<OptionDoc> table = {
      {"--help", "-h", nullptr, nullptr, "prints this list and exits",
       [](CommandLine& l, const std::string&, std::string*) { return l.help = true; }},
      {"--version", nullptr, nullptr, nullptr, "prints the program's version and exits",
       [](CommandLine& l, const std::string&, std::string*) { return l.version = true; }},
      {"--scene", nullptr, "NAME", "Options->StartScene", "starts with that scene",
       [](CommandLine& l, const std::string& v, std::string* p) { return not_empty(v, &l.scene, p); }},
      {"--headless", nullptr, nullptr, "Video->Driver",
       "runs on the windowless driver `libheadless_tessar`: no window, each frame 1 / LimitFPS "
       "seconds of game time, as fast as the processor allows",
       [](CommandLine& l, const std::string&, std::string*) { return l.headless = true; }},
      {"--frames", nullptr, "N", "Video->Frames", "quits after N frames (windowless driver)",
       [](CommandLine& l, const std::string& v, std::string* p) {
         return whole(v, 1, LONG_MAX, &l.frames, p);
       }},
      {"--input", nullptr, "FILE", "Video->InputFile",
       "replays the input events of FILE (windowless driver; format below)",
       [](CommandLine& l, const std::string& v, std::string* p) {
         return not_empty(v, &l.input_file, p);
       }},
      {"--trace", nullptr, "FILE", "Video->TraceFile",
       "writes what each frame draws to FILE (windowless driver; format below)",
       [](CommandLine& l, const std::string& v, std::string* p) {
         return not_empty(v, &l.trace_file, p);
       }},
      {"--seed", nullptr, "N", nullptr,
       "seeds the random generator with N (0 to 4294967295) instead of the time",
       [](CommandLine& l, const std::string& v, std::string* p) {
         long seed = 0;
         if (!whole(v, 0, 4294967295L, &seed, p)) return false;
         l.seed = static_cast<unsigned long>(seed);
         return l.seed_given = true;
       }},
      {"--quiet", "-q", nullptr, nullptr,
       "errors and warnings only: no progress lines on standard output and no traces (a picture "
       "loaded, a stone removed) on standard error (the libraries and plug-ins learn it from "
       "TARNVALE_QUIET=1, which it sets)",
       [](CommandLine& l, const std::string&, std::string*) { return l.quiet = true; }},
      {"--verbose", "-v", nullptr, nullptr,
       "also the options applied and the time each start-up stage took, on standard error",
       [](CommandLine& l, const std::string&, std::string*) { return l.verbose = true; }},
      {"--check", nullptr, nullptr, nullptr,
       "checks the game's data as `tarnvale-check` does and exits with its code (0 clean, 1 "
       "problems found, 2 could not check)",
       [](CommandLine& l, const std::string&, std::string*) { return l.check = true; }},
      {"--strict", nullptr, nullptr, nullptr,
       "a problem the start-up check of the data finds fails start-up with exit code 1, and so "
       "does a start scene that is not there (without it, the problems are printed on standard "
       "error and the game runs on, or ends at once without its start scene)",
       [](CommandLine& l, const std::string&, std::string*) { return l.strict = true; }},
      {"--watch", nullptr, nullptr, nullptr,
       "reloads what is saved under `res/` and `cfg/` while the game runs (scenes, levels, "
       "style sets, pictures, fonts, the scene list, the settings): checked first as `--check` "
       "does, then pictures and style sets in place and each scene that reads what changed "
       "anew, the current one at once, the others when next entered, while the rest keep their "
       "state; the fonts of `cfg/Game.cfg` are taken at once, a changed setting that only a "
       "start takes is named in one line; a save that brings problems is refused with the "
       "checker's lines and the running version stays",
       [](CommandLine& l, const std::string&, std::string*) { return l.watch = true; }},
      {"--record", nullptr, "FILE", nullptr,
       "writes the seed, the data's checksum, every input event and each frame's time to FILE "
       "(window only)",
       [](CommandLine& l, const std::string& v, std::string* p) {
         return not_empty(v, &l.record_file, p);
       }},
      {"--replay", nullptr, "FILE", nullptr,
       "plays a recorded FILE back on the windowless driver, frame for frame",
       [](CommandLine& l, const std::string& v, std::string* p) {
         return not_empty(v, &l.replay_file, p);
       }},
  };
  return table;
}

const char* const USAGE = "usage: tarnvale [OPTIONS] [DIR] (tarnvale --help lists the options)";

bool usage_error(const std::string& problem, std::string* error) {
  *error = "tarnvale: " + problem + "; " + USAGE;
  return false;
}

// Pairs of options that cannot hold together, the second named as the fault.
bool conflicts(const CommandLine& l, std::string* error) {
  if (l.quiet && l.verbose) return usage_error("--verbose contradicts --quiet", error);
  if (!l.replay_file.empty() && !l.record_file.empty())
    return usage_error("--record cannot record a replay", error);
  if (!l.replay_file.empty() && !l.input_file.empty())
    return usage_error("--input cannot add to a replay's own input", error);
  if ((!l.replay_file.empty() || !l.record_file.empty()) && l.watch)
    return usage_error("--watch would change the data under a replay or a recording", error);
  if (!l.replay_file.empty() && l.seed_given)
    return usage_error("--seed cannot change a replay's own seed", error);
  if (!l.record_file.empty() && (l.headless || !l.input_file.empty()))
    return usage_error("--record records a window's input, not the windowless driver's", error);
  return true;
}

std::string spelled(const OptionDoc& o) {
  std::string text = o.short_name ? std::string(o.short_name) + ", " : std::string();
  text += o.name;
  if (o.value) text += std::string(" ") + o.value;
  return text;
}

}  // namespace

bool parse_command_line(const std::vector<std::string>& args, CommandLine* line,
                        std::string* error) {
  bool options_ended = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options_ended || arg.empty() || arg[0] != '-' || arg == "-") {
      if (!line->dir.empty()) return usage_error("a second folder \"" + arg + "\"", error);
      line->dir = arg;
      continue;
    }
    if (arg == "--") {
      options_ended = true;
      continue;
    }
    const size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const OptionDoc* option = nullptr;
    for (const OptionDoc& candidate : options())
      if (name == candidate.name || (candidate.short_name && name == candidate.short_name))
        option = &candidate;
    if (option == nullptr) return usage_error("unknown option \"" + name + "\"", error);
    std::string value;
    if (option->value == nullptr) {
      if (equals != std::string::npos) return usage_error(name + " takes no value", error);
    } else if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      return usage_error(name + " needs " + option->value, error);
    }
    std::string problem;
    if (!option->apply(*line, value, &problem))
      return usage_error(name + " " + option->value + ": \"" + value + "\" " + problem, error);
  }
  return conflicts(*line, error);
}

std::string command_line_help() {
  std::ostringstream out;
  out << "usage: tarnvale [OPTIONS] [DIR]\n"
         "Runs the game whose cfg/ and res/ are in DIR (default: the working directory).\n"
         "Options stand in for the settings they name for this run only and never change the "
         "files.\n\n";
  for (const OptionDoc& o : options()) {
    std::string left = "  " + spelled(o);
    left.resize(left.size() < 20 ? 20 : left.size() + 1, ' ');
    out << left << o.meaning;
    if (o.overrides) out << " [" << o.overrides << "]";
    out << "\n";
  }
  out << "\nExit codes: 0 after a normal run, 1 when start-up fails, 2 for a bad command line.\n";
  return out.str();
}

std::string command_line_reference() {
  std::ostringstream out;
  out << "## Command line\n\n"
         "`tarnvale [OPTIONS] [DIR]` runs the game whose `cfg/` and `res/` are in `DIR` (without "
         "it, the working directory). An option stands in for the setting it names for this run "
         "only; the files are never written. An unknown option or a bad value prints one usage "
         "line naming it and exits with 2; without arguments the program starts as it always "
         "did (exit 0 after a normal run, 1 when start-up fails). `-q` and `-v` contradict each "
         "other, as do `--replay` with `--record`, `--input` or `--seed`, `--watch` with `--replay` or `--record`, and `--record` with "
         "`--headless` or `--input`. A value follows its option as the next argument or after "
         "`=` (`--frames=600`); `--` ends the options.\n\n"
         "| option | stands in for | meaning |\n|---|---|---|\n";
  for (const OptionDoc& o : options())
    out << "| `" << spelled(o) << "` | " << (o.overrides ? std::string("`") + o.overrides + "`" : "")
        << " | " << o.meaning << " |\n";
  out << "\n### Input file (`--input`, `Video->InputFile`)\n\n"
         "One event a line: `FRAME EVENT [X Y [VALUE]]`. The event comes out of the driver once "
         "FRAME frames have ended (0: before the first). `EVENT` is one of `mouse_press`, "
         "`mouse_release`, `mouse_move`, `keyboard_press`, `keyboard_release`, `character`, "
         "`quit`; `X Y` are normalised (−1 to 1, y up); `VALUE` is the button bits for the mouse "
         "(1 left, default 1 for a press or release, 0 for a move), the key code or the code "
         "point. Blank lines and lines starting with `#` are skipped; a bad line stops start-up "
         "with `FILE:LINE: problem`.\n\n"
         "### Trace file (`--trace`, `Video->TraceFile`)\n\n"
         "For each frame, in drawing order:\n\n"
         "```\nframe N\nparticles under|over GROUP NAME COUNT: X,Y X,Y ...\n"
         "surface GROUP NAME WIDTHxHEIGHT CHECKSUM\n"
         "  sprite GROUP NAME X Y [base BX BY] [scale SX SY] [turn DEGREES] [alpha A] "
         "[colour R G B]\npolygon X,Y X,Y ...\n```\n\n"
         "Numbers have four decimals; the checksum (FNV-1a of the shown pixels) tells pictures "
         "apart.\n\n"
         "### Replay file (`--record`, `--replay`)\n\n"
         "A text file of lines, at most 255 bytes each and 64 MiB in all. Five header lines:\n\n"
         "```\ntarnvale replay 1\nbuild HEX\ndata HEX\nseed N\nscene NAME\n```\n\n"
         "`build` identifies the program's build, `data` is a checksum of every file under the "
         "game's `cfg/` and `res/`; a replay whose build or data differ from the running ones is "
         "refused with one line; `scene` is the start scene. Then, frame by frame, `FRAME time MICROSECONDS` (what the frame "
         "took; frames counted from 1, each once and in order) and the events the frame ended "
         "with: `FRAME mouse_press|mouse_release|mouse_move X Y DX DY BUTTONS`, "
         "`FRAME keyboard_press|keyboard_release KEY`, `FRAME character CODE` or `FRAME quit` "
         "(events of frame 0 come before the first time line). A replay runs on the windowless "
         "driver; its game clock moves on by each recorded time, rounded to 2^-20 s as when it "
         "was recorded, so the same game is played again; the run quits after the last "
         "recorded frame.\n\n";
  return out.str();
}
