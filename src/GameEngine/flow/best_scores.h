#pragma once
// The ten best games (name, score, date), best first, kept in scores.cfg of the player's data
// folder under Scores->Score0->name, ->score, ->date, Scores->Score1->..., and so on.

#include <string>
#include <vector>

#include "brannow/brannow.h"
#include "user_file.h"

struct ScoreEntry {
  std::string name;
  long score = 0;
  std::string date;  // YYYY-MM-DD
};

class BestScores {
public:
  static const size_t KEPT = 10;

  explicit BestScores(Brannow::FileManager* files);

  // Reads scores.cfg afresh; false (reported, file moved aside) when it is unreadable, and
  // the list is then empty.
  bool load();
  // Writes the list; false (reported) when it cannot.
  bool save();

  // Where a score would stand (1 = best), or 0 when it would not make the list. An equal
  // score that is already there stays ahead.
  size_t rank_of(long score) const;
  // Enters a game and returns its rank, or 0 when it did not make the list.
  size_t add(const std::string& name, long score, const std::string& date);

  const std::vector<ScoreEntry>& entries() const { return entries_; }
  std::string path() const { return file_.path(); }
  // The last problem with the file, as reported.
  std::string error() const { return file_.error(); }

  // Loads the list, enters a game of today and saves the list when the game made it; its rank,
  // or 0 when it did not. A score below minimum is not entered and the file is left alone.
  static size_t enter(Brannow::FileManager* files, const std::string& name, long score, long minimum);

  // Today's date in the local time zone, as the list keeps it.
  static std::string today();

private:
  UserFile file_;
  std::vector<ScoreEntry> entries_;
};
