#include "app/run.h"

int main(int argc, char** argv) {
  tolv::run_program(argc, argv);
}
