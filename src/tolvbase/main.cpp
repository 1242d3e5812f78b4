#include "tolvbase/command.h"

int main(int argc, char** argv) {
  return tolv::tolvbase_main(argc, argv);
}
