#include "best_scores.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <ctime>

#include "carrow/config.h"

namespace {
const char* const CONFIG_NAME = "BestScoresFile";

std::string entry_key(size_t i, const char* field) { return "Scores->Score" + std::to_string(i) + "->" + field; }

bool whole_number(const std::string& text) {
  if (text.empty() || text.size() > 18) return false;
  return std::all_of(text.begin(), text.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

// Reads the entries up to the first missing one; false at an entry without a proper score.
bool read_entries(Config_Interface* config, std::vector<ScoreEntry>* entries, std::string* why) {
  entries->clear();
  // get_value would store what it does not find; the file's pairs alone count.
  const std::vector<std::string> keys = keys_of(config);
  for (size_t i = 0; i < BestScores::KEPT; ++i) {
    const std::string prefix = "Scores->Score" + std::to_string(i) + "->";
    if (std::none_of(keys.begin(), keys.end(), [&](const std::string& key) { return key.rfind(prefix, 0) == 0; }))
      break;
    ScoreEntry entry;
    const std::string score = config->get_value(entry_key(i, "score"), "");
    if (!whole_number(score)) {
      *why = "key " + entry_key(i, "score") + " is not a whole number: \"" + score + "\"";
      return false;
    }
    entry.score = std::strtol(score.c_str(), nullptr, 10);
    entry.name = config->get_value(entry_key(i, "name"), "");
    entry.date = config->get_value(entry_key(i, "date"), "");
    entries->push_back(entry);
  }
  return true;
}
}  // namespace

BestScores::BestScores(Brannow::FileManager* files) : file_("scores.cfg", "Scores", files) {}

bool BestScores::load() {
  entries_.clear();
  Config_Interface* config = fresh_config(CONFIG_NAME);
  if (!config) return false;
  std::vector<ScoreEntry> read;
  const bool ok = file_.read(config, [&](Config_Interface* c, std::string* why) { return read_entries(c, &read, why); });
  config_remove(CONFIG_NAME);
  if (!ok) return false;
  // A list edited by hand may be out of order.
  std::stable_sort(read.begin(), read.end(), [](const ScoreEntry& a, const ScoreEntry& b) { return a.score > b.score; });
  entries_ = read;
  return true;
}

bool BestScores::save() {
  Config_Interface* config = fresh_config(CONFIG_NAME);
  if (!config) return false;
  for (size_t i = 0; i < entries_.size(); ++i) {
    // One line per value: a line break would end the value early.
    std::string name = entries_[i].name;
    std::replace_if(name.begin(), name.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    config->set_value(entry_key(i, "name"), name, true);
    config->set_value(entry_key(i, "score"), std::to_string(entries_[i].score), true);
    config->set_value(entry_key(i, "date"), entries_[i].date, true);
  }
  const bool written = file_.write(config);
  config_remove(CONFIG_NAME);
  return written;
}

size_t BestScores::rank_of(long score) const {
  size_t ahead = 0;
  while (ahead < entries_.size() && entries_[ahead].score >= score) ++ahead;
  return ahead < KEPT ? ahead + 1 : 0;
}

size_t BestScores::add(const std::string& name, long score, const std::string& date) {
  const size_t rank = rank_of(score);
  if (rank == 0) return 0;
  entries_.insert(entries_.begin() + static_cast<long>(rank - 1), ScoreEntry{name, score, date});
  if (entries_.size() > KEPT) entries_.resize(KEPT);
  return rank;
}

std::string BestScores::today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[16];
  std::strftime(text, sizeof text, "%Y-%m-%d", &local);
  return text;
}

size_t BestScores::enter(Brannow::FileManager* files, const std::string& name, long score, long minimum) {
  if (score < minimum) return 0;
  BestScores best(files);
  best.load();
  const size_t rank = best.add(name, score, today());
  if (rank > 0) best.save();
  return rank;
}
