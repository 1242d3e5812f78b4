#include "tolvboard/command.h"

int main(int argc, char** argv) {
  return tolv::run_program(tolv::tolvboard_program(), argc, argv);
}
