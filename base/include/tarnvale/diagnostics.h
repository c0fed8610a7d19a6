#pragma once
// Data problems and the program's other log lines travel as records to one sink. By default the
// sink prints each record as the line its reporter has always printed (its voice says which
// form); listeners such as the data checker subscribe and may hold that printing back.

#include <functional>
#include <sstream>
#include <string>

#include "tarnvale/source_name.h"

namespace tarnvale {

enum class Severity {
  info,     // printed on standard output
  warning,  // a bad value replaced by its default
  error,    // something left out or not loaded
  debug,    // a trace for the developer
};

// The form of the printed line, after the reporter that has always printed it.
enum class Voice {
  plain,    // the text alone
  game,     // "CRITICAL ERROR at src:line(function):", "DEBUG MESSAGE at ...", "INFO:"
  scene,    // "SCENE:" + source line + ": "
  panolet,  // "Panolet(" + src:line + "(" + function + ")"
};

struct Diagnostic {
  Severity severity = Severity::error;
  // The data file and key at fault and the file's line, where the reporter knows them.
  std::string file;
  long line = 0;
  std::string key;
  std::string text;
  Voice voice = Voice::plain;
  // Where in the program the record was made; the game's and the widgets' lines show it.
  const char* source = "";
  int source_line = 0;
  std::string function;
  // A few lines have always been left open ("Error with config"): the next one follows on it.
  bool ends_line = true;
};

// The line the default printing writes for a record, without its line end.
std::string printed_line(const Diagnostic& record);

// Hands the record to the listeners, then prints it unless a listener holds printing back.
void report(const Diagnostic& record);

enum class Printing { kept, held };
using DiagnosticListener = std::function<void(const Diagnostic&)>;

// Adds a listener; with Printing::held nothing is printed while it listens. The number is the
// one to unsubscribe with.
int subscribe(DiagnosticListener listener, Printing printing = Printing::kept);
void unsubscribe(int subscription);

// Listens for as long as it lives.
class Listening {
public:
  explicit Listening(DiagnosticListener listener, Printing printing = Printing::kept)
      : subscription_(subscribe(std::move(listener), printing)) {}
  Listening(const Listening&) = delete;
  Listening& operator=(const Listening&) = delete;
  ~Listening() { unsubscribe(subscription_); }

private:
  int subscription_;
};

// A report from a stream expression: `TARNVALE_REPORT(record, "Can't load " << name)`.
#define TARNVALE_REPORT(record, message)  \
  do {                                    \
    ::tarnvale::Diagnostic report_ = record; \
    std::ostringstream text_;             \
    text_ << message;                     \
    report_.text = text_.str();           \
    ::tarnvale::report(report_);          \
  } while (false)

// A record made here (this source file and line) in the given voice.
inline Diagnostic diagnostic_here(Severity severity, Voice voice, const char* source,
                                  int source_line, std::string function = {}) {
  Diagnostic record;
  record.severity = severity;
  record.voice = voice;
  record.source = source;
  record.source_line = source_line;
  record.function = std::move(function);
  return record;
}

// A data problem at a file and key, printed as the text alone.
inline void report_data_problem(Severity severity, std::string file, std::string key,
                                std::string text, long line = 0) {
  Diagnostic record;
  record.severity = severity;
  record.file = std::move(file);
  record.key = std::move(key);
  record.line = line;
  record.text = std::move(text);
  report(record);
}

}  // namespace tarnvale
