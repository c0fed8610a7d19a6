// tarnvale-check [DIR | --reference]: checks a game's data folder, or prints the data format.
#include <cstring>
#include <iostream>

#include "check.h"
#include "data_format.h"

int main(int argc, char** argv) {
  if (argc > 2 || (argc == 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")))) {
    std::cerr << "usage: tarnvale-check [DATA_FOLDER] | --reference" << std::endl;
    return 2;
  }
  if (argc == 2 && !std::strcmp(argv[1], "--reference")) {
    std::cout << reference_markdown();
    return 0;
  }
  return check_data_folder(argc == 2 ? argv[1] : "", std::cout, std::cerr);
}
