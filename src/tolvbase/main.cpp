#include "tolvbase/command.h"

int main(int argc, char** argv) {
  return tolv::run_program(tolv::tolvbase_program(), argc, argv);
}
