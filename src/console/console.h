// The console: the program's only channel to the user, on descriptor 1.
//
// Chosen once at start:
//  - terminal mode (descriptor 1 is a terminal): raw mode, one cursor
//    position query, a tracked cursor, its own line ends and cursor moves as
//    ECMA-48 sequences, the terminal's modes restored at stop;
//  - redirected mode: plain text with LF line ends on a notional 80 x 25
//    screen; a move down by one row becomes LF, other moves are dropped.
//
// Text gathers in a 256-byte buffer until a flush; a flush is processed into
// a send buffer of 1024 bytes that goes out in one write. Console writes never
// fail the run: their errors are ignored.
#pragma once

#include <cstdint>
#include <string_view>

namespace tolv {

// Sets up the console and hands console_stop to the exit sequence. When the
// listing is read from standard input, whatever that is, raw mode keeps the
// interrupt and quit keys: a typed listing or an endless pipe has no other
// end the user can reach.
void console_start(bool listing_on_stdin = false);

// Sends what is queued and restores the terminal's modes. Runs once.
void console_stop();

// Appends text or a number to the text buffer; nothing while an
// input/output failure is pending.
void console_write_text(std::string_view text);
void console_write_number(int64_t number);

// Processes the text buffer and writes the result to descriptor 1.
void console_flush();

// Appends a LF, then flushes.
void console_end_line();

// The tracked cursor row (1-based); the terminal is not asked.
int console_current_row();

// Moves the cursor to (column, row), both 1-based; a place off the screen is
// ignored. The bytes go out at once.
void console_move_cursor(int column, int row);

}  // namespace tolv
