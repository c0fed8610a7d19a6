#include "tarnvale/diagnostics.h"

#include "tarnvale/progress_log.h"

#include <iostream>
#include <mutex>
#include <utility>
#include <vector>

namespace tarnvale {
namespace {

struct Subscriber {
  int id;
  DiagnosticListener listener;
  Printing printing;
};

struct Sink {
  std::mutex mutex;
  std::vector<Subscriber> subscribers;
  int next_id = 1;
};

// Made on first use and never destroyed: records reported while the program shuts down still
// find it.
Sink& sink() {
  static Sink* the_sink = new Sink;
  return *the_sink;
}

}  // namespace

std::string printed_line(const Diagnostic& record) {
  std::ostringstream line;
  switch (record.voice) {
    case Voice::plain:
      break;
    case Voice::game:
      if (record.severity == Severity::info) {
        line << "INFO:";
        break;
      }
      line << (record.severity == Severity::debug ? "DEBUG MESSAGE at " : "CRITICAL ERROR at ")
           << record.source << ":" << record.source_line << "(" << record.function << "):";
      break;
    case Voice::scene:
      line << "SCENE:" << record.source_line << ": ";
      break;
    case Voice::panolet:
      line << "Panolet(" << record.source << ":" << record.source_line << "(" << record.function
           << ")";
      break;
  }
  line << record.text;
  return line.str();
}

void report(const Diagnostic& record) {
  Sink& the_sink = sink();
  // The listeners are called outside the lock: one may report in turn.
  std::vector<DiagnosticListener> listeners;
  bool print = true;
  {
    std::lock_guard<std::mutex> lock(the_sink.mutex);
    for (const Subscriber& subscriber : the_sink.subscribers) {
      listeners.push_back(subscriber.listener);
      if (subscriber.printing == Printing::held) print = false;
    }
  }
  for (const DiagnosticListener& listener : listeners) listener(record);
  if (!print) return;
  // Each line is flushed so that the lines of both streams keep their order for a reader.
  // Progress lines and traces are dropped when the program runs quiet.
  std::ostream& out = record.severity == Severity::info    ? progress_out()
                      : record.severity == Severity::debug ? trace_err()
                                                           : std::cerr;
  out << printed_line(record);
  if (record.ends_line)
    out << std::endl;
  else
    out.flush();
}

int subscribe(DiagnosticListener listener, Printing printing) {
  Sink& the_sink = sink();
  std::lock_guard<std::mutex> lock(the_sink.mutex);
  const int id = the_sink.next_id++;
  the_sink.subscribers.push_back({id, std::move(listener), printing});
  return id;
}

void unsubscribe(int subscription) {
  Sink& the_sink = sink();
  std::lock_guard<std::mutex> lock(the_sink.mutex);
  auto& subscribers = the_sink.subscribers;
  for (auto it = subscribers.begin(); it != subscribers.end(); ++it)
    if (it->id == subscription) {
      subscribers.erase(it);
      return;
    }
}

}  // namespace tarnvale
