// A library that is no game module: it lacks the entry point.
extern "C" int register_game_module_misspelt() { return 1; }
