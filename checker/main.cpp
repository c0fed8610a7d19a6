// tarnvale-check [DIR] | --reference [DIR]: checks a game's data folder, or prints the data
// format with the types of the folder's game modules.
#include <cstring>
#include <iostream>

#include "check.h"

int main(int argc, char** argv) {
  const bool reference = argc >= 2 && !std::strcmp(argv[1], "--reference");
  const int folder_at = reference ? 2 : 1;
  if (argc > folder_at + 1 ||
      (argc == 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")))) {
    std::cerr << "usage: tarnvale-check [DATA_FOLDER] | --reference [DATA_FOLDER]" << std::endl;
    return 2;
  }
  const std::string folder = argc > folder_at ? argv[folder_at] : "";
  if (reference) return print_reference(folder, std::cout, std::cerr);
  return check_data_folder(folder, std::cout, std::cerr);
}
