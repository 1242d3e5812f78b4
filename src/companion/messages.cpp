#include "companion/messages.h"

#include <string>

#include "companion/text.h"

namespace tolv {

namespace {

struct Running {
  std::string name = "tolv";
  std::string usage;
  std::string help;  // the words before --help in the pointer to it
};

Running& running() {
  static Running program;
  return program;
}

}  // namespace

void set_running_program(std::string_view name, std::string usage) {
  running() = {std::string(name), std::move(usage), std::string(name)};
}

void set_running_command(std::string_view command, std::string usage) {
  Running& program = running();
  program.usage = std::move(usage);
  program.help = program.name + " " + std::string(command);
}

// Every message passes the escaping rule on its way out, whatever paths,
// names or options it quotes; what is escaped already stays as it is.
void note(std::string_view message) {
  write_standard_error(running().name + ": " + escape_controls(message) + "\n");
}

int complain(std::string_view message) {
  note(message);
  return kExitTrouble;
}

int usage_error(std::string_view message) {
  const std::string& name = running().name;
  write_standard_error(name + ": " + escape_controls(message) + "\n" + running().usage + "Try '" +
                       running().help + " --help' for more information.\n");
  return kExitTrouble;
}

int finish(Output& out, int status) {
  if (flush(out)) return status;
  return complain("cannot write standard output: " + errno_text(out.error));
}

}  // namespace tolv
