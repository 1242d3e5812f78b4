// The companions' shared layer: what tolvbase and tolvboard both use, so
// that neither includes the other's headers and no rule is written twice.
//
// The command line and the output
//   command_line.h    one table per program: commands, options, operands,
//                     help; parsed with getopt_long, usage and --help made
//                     from it
//   nearest_name.h    the name a mistyped one was meant as (edit distance)
//   messages.h        "PROGRAM: message" on standard error, usage errors
//   output.h          buffered standard output that remembers a failed write
//   json_lines.h      JSON Lines; every line valid UTF-8 whatever the bytes
//   json_read.h       a JSON line read back, for the files a companion keeps
//   rows.h            one field list written as JSON Lines or CSV (RFC 4180,
//                     formulas neutralized)
//   table.h           text tables sized to their cells and the terminal
//   text.h            plural, control characters, letter case, errno text
//   text_encoding.h   CP437, Latin-1 or raw bytes as text, and as shown
//   date_text.h       a packed date-time as text
//
// What the companions read, never write
//   read_only_file.h  the one way to open an input: regular files only,
//                     without blocking; "-" standard input
//   base.h            a file base opened read-only; record_cursor.h walks
//                     its records in blocks
//   name_doubts.h     names a person reads as rules, impossible dates, a
//                     name seen before: asked of listings and of bases
//   file_directory.h  the files of a directory, looked up by the names a
//                     listing gives them in any letter case; those it
//                     never names
//   disk_check.h      a base's records against the directory of their files:
//                     missing, of another size, named by no record
//
// What the companions write and change: the one door for their writes
//   output_file.h     an output opened (a regular file, no link followed,
//                     never a base's file, the listing, the input or an
//                     output already open), appended durably, synced
//   file_lock.h       the locks they take, one policy for every command
//   base_cut.h        a base cut back (or its files removed) under its lock,
//                     record file first; the state of a base's files
//
// Reading a listing of any layout and rewriting it is src/normalize's.
#pragma once

#include "companion/base.h"
#include "companion/base_cut.h"
#include "companion/command_line.h"
#include "companion/date_text.h"
#include "companion/disk_check.h"
#include "companion/file_directory.h"
#include "companion/file_lock.h"
#include "companion/json_lines.h"
#include "companion/json_read.h"
#include "companion/messages.h"
#include "companion/nearest_name.h"
#include "companion/output.h"
#include "companion/output_file.h"
#include "companion/read_only_file.h"
#include "companion/rows.h"
#include "companion/table.h"
#include "companion/text.h"
#include "companion/text_encoding.h"
