#include "console/flush.h"

#include <algorithm>

#include "console/move.h"
#include "console/send.h"

namespace tolv {

namespace {

// A run of plain bytes being sent. Its room (the columns left on the row) is
// fixed when the run starts and only renewed by the line ends the run itself
// makes, so a run that exactly fills a row stops at the last column without
// wrapping; the next run starts from the width.
struct PlainRun {
  bool active = false;
  int room = 0;
};

void start_run(const ConsoleState& console, PlainRun& run) {
  if (run.active) return;
  run.active = true;
  run.room = console.width - console.cursor.column + 1;
}

void send_plain(ConsoleState& console, PlainRun& run, char c) {
  start_run(console, run);
  if (run.room <= 0) {
    line_end(console);
    run.room = console.width - console.cursor.column + 1;
  }
  send(console, std::string_view(&c, 1));
  --run.room;
  console.cursor.column = std::min(console.cursor.column + 1, console.width);
}

// Spaces up to the next tab stop, counted from where the run's next byte
// lands: at column 1 of the next row when the run has just filled its row.
void send_tab(ConsoleState& console, PlainRun& run) {
  start_run(console, run);
  int column = run.room <= 0 ? 1 : console.width - run.room + 1;
  int spaces = kTabWidth - (column - 1) % kTabWidth;
  for (int i = 0; i < spaces; ++i) send_plain(console, run, ' ');
}

}  // namespace

void line_end(ConsoleState& console) {
  if (console.cursor.row >= console.height) {
    send(console, "\n\r");
    console.cursor.column = 1;
    return;
  }
  move_to(console, Cursor{1, console.cursor.row + 1});
}

void process_text(ConsoleState& console, std::string_view text) {
  console.send_at_once = false;
  PlainRun run;
  for (char c : text) {
    switch (c) {
      case '\n':
        run = PlainRun{};
        line_end(console);
        break;
      case '\r':
        run = PlainRun{};
        move_to(console, Cursor{1, console.cursor.row});
        break;
      case '\b':
        run = PlainRun{};
        send(console, std::string_view(&c, 1));
        if (console.cursor.column > 1) --console.cursor.column;
        break;
      case '\t':
        send_tab(console, run);
        break;
      case '\x1b':  // ESC
        // On a terminal an ESC in the text (a listing path, say) would start
        // a control sequence; it is shown as ^[ instead.
        if (console.redirected) {
          send_plain(console, run, c);
        } else {
          send_plain(console, run, '^');
          send_plain(console, run, '[');
        }
        break;
      default:
        send_plain(console, run, c);
        break;
    }
  }
  console.send_at_once = true;
  send_out(console);
}

}  // namespace tolv
