#include "app/run.h"

#include <cstdint>

#include "console/console.h"
#include "filebase/base_path.h"
#include "filebase/duplicate.h"
#include "filebase/file_base.h"
#include "listing/reader.h"
#include "runtime/exit.h"
#include "runtime/io_error.h"
#include "runtime/startup.h"
#include "tolv_version.h"

namespace tolv {

namespace {

constexpr int kCountColumn = 13;  // where the count starts, after "Processing: "

// The state of one run. It lives in the run sequence, which never returns:
// every way out ends the process.
struct RunState {
  bool dupe = false;
  Listing listing;
  FileBase base;
  int64_t converted = 0;
};

void write_line(std::string_view text) {
  console_write_text(text);
  console_end_line();
  statement_check();
}

void write_empty_line() {
  console_end_line();
  statement_check();
}

void write_banner() {
  write_empty_line();
  write_line("TOLVCONV : PCBoard to Tolvane BBS File Base Converter");
  write_line(TOLV_BANNER_VERSION ": Copyright (C) 2026 The TOLVCONV Authors");
  write_empty_line();
  write_line("Compatible with Tolvane BBS v1.07.2");
  write_empty_line();
}

void show_count(int64_t count) {
  console_move_cursor(kCountColumn, console_current_row());
  console_write_number(count);
  console_write_text(" files ... ");
  console_flush();
  statement_check();
}

// The run sequence is a call level of its own: statement checks inside it
// trace back to the return into run_program.
[[gnu::noinline]] [[noreturn]] void run_sequence(int argc, char** argv) {
  TOLV_CALL_LEVEL();
  RunState state;
  write_banner();
  if (argc < 3) {
    write_line("Usage: [PCBoard File]  [Tolvane BBS File]  -DUPE");
    halt(1);
  }
  state.dupe = is_dupe_switch(argc > 3 ? argv[3] : "");

  open_listing(state.listing, argv[1]);
  if (error_code_query() != 0) {
    console_write_text("\aERROR: PCBoard file listing (");
    console_write_text(argv[1]);
    console_write_text(") not found.");
    console_end_line();
    statement_check();
    halt(1);
  }

  BasePaths paths = derive_base_paths(argv[2]);
  open_file_base(state.base, paths.record_file, paths.description_file);

  state.converted = 0;
  console_write_text("Processing: ");
  console_flush();
  statement_check();

  for (;;) {
    const Entry* entry = next_entry(state.listing);
    statement_check();
    if (entry == nullptr) break;
    // A skipped entry is not counted and writes nothing.
    if (state.dupe && is_duplicate(state.base, entry->file_name.view())) continue;
    ++state.converted;
    show_count(state.converted);
    append_entry(state.base, *entry);
    statement_check();
  }

  close_listing(state.listing);
  statement_check();
  close_file_base(state.base);
  statement_check();
  write_line("DONE.");
  normal_end();
}

}  // namespace

bool is_dupe_switch(std::string_view argument) {
  constexpr std::string_view kSwitch = "-DUPE";
  if (argument.size() != kSwitch.size()) return false;
  for (size_t i = 0; i < argument.size(); ++i) {
    char c = argument[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != kSwitch[i]) return false;
  }
  return true;
}

void run_program(int argc, char** argv) {
  start_runtime();
  // The run sequence reads standard input for an empty first argument.
  console_start(argc >= 3 && argv[1][0] == '\0');
  run_sequence(argc, argv);
}

}  // namespace tolv
