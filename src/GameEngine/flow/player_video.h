#pragma once
// The player's own window: the UI settings "WindowSize" ("1024x768"), "FullScreen" ("1" or "0")
// and "FrameRate" (frames a second, "0" for no limit), kept in the player's settings.cfg,
// override cfg/Video.cfg before the window opens and change the window at once afterwards.

#include <string>

class Config_Interface;

// Puts the player's values into the video configuration (in memory only). A malformed value
// is reported and left out: the window keeps what cfg/Video.cfg says.
void apply_player_video_settings(Config_Interface* video_config);

// A change of one of them from now on goes straight to the driver kept under `video_name`.
void follow_player_video_settings(const std::string& video_name);

// Before the window closes: a switch the player made with F11 or Alt+Enter becomes their
// "FullScreen" setting, so that the next run opens the window as they left it.
void keep_player_window_mode();
