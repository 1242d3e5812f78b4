#include "tolvboard/command.h"

int main(int argc, char** argv) {
  return tolv::tolvboard_main(argc, argv);
}
