#pragma once
// UI settings that outlive the program (the player's name, "Show frame rate"): read from
// settings.cfg of the player's data folder at start, under Settings-><setting name>, and written
// back whenever one of them changes.

#include <string>
#include <vector>

#include "brannow/brannow.h"

// The names of GameConfig's "Options->SavedSettings" (separated by spaces; none by default).
std::vector<std::string> saved_setting_names();

// Puts the saved values of these settings into the UI settings and keeps the file up to date
// from then on. Names that cannot be keys of the file are reported and left out. false when the
// file was unreadable (reported and moved aside; the settings keep their defaults).
bool remember_settings(const std::vector<std::string>& names, Brannow::FileManager* files);

// Told after a kept setting changed and was written (null: nobody), to act on it at once.
using saved_setting_follower = void (*)(const std::string& name, const std::string& value);
void follow_saved_settings(saved_setting_follower follower);
