// The fault sweep: a realistic conversion is run once to count its system
// calls, then once for every call index k with call k made to fail, in each
// of the ways a system call can fail. Every run must leave a consistent file
// base and report exactly what happened:
//  - the exit status is 0 or a run-time error code, and a nonzero status
//    comes with a well-formed message naming it;
//  - the bytes that existed before the run are unchanged;
//  - the records written are a prefix of those the unfailed run writes, and
//    so are the description bytes;
//  - tolvbase's check finds no problem in the base: every record points
//    inside the description file at exactly DescLines complete lines of its
//    own;
//  - an interrupted read or write (EINTR) and a short read of the listing
//    change nothing at all.
#include <errno.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "filebase/record.h"
#include "support/child.h"
#include "support/error_message.h"
#include "support/fake_os.h"
#include "support/listing_text.h"
#include "support/stored_base.h"

namespace tolv::test {
namespace {

// Every run is a forked conversion; under the sanitizers each costs several
// times more, so the listing is shorter there.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kEntries = 60;
#else
constexpr int kEntries = 200;
#endif

struct Scenario {
  std::string listing;
  StoredBase before;  // the base before the run
};

// An existing base of `stored` records and a listing of `entries` entries
// with one to four description lines; every third entry repeats a stored
// name, so a -DUPE run skips some.
Scenario make_scenario(int stored, int entries) {
  Scenario s;
  char name[32];
  for (int i = 0; i < stored; ++i) {
    snprintf(name, sizeof name, "OLD%05d.ZIP", i);
    s.before.add(name, {"old."}, i);
  }
  s.listing = "Sweep listing\r\n=============\r\n\r\n";
  for (int i = 0; i < entries; ++i) {
    snprintf(name, sizeof name, i % 3 == 0 ? "OLD%05d.ZIP" : "NEW%05d.ZIP", i);
    s.listing += entry_line(name, std::to_string(1000 + i), "03-14-95",
                            "First line of " + std::string(name)) +
                 "\r\n";
    for (int j = 1; j < 1 + i % 4; ++j)
      s.listing += continuation_line("more text, line " + std::to_string(j)) + "\r\n";
  }
  return s;
}

struct Result {
  Outcome outcome;
  StoredBase after;
  BaseCheck check;  // tolvbase's check of the base afterwards
};

Result convert(const TempDir& dir, const Scenario& s, bool dupe, std::vector<Fault> faults) {
  write_base(dir / "base", s.before);
  std::vector<std::string> args{dir / "in.lst", dir / "base"};
  if (dupe) args.push_back("-DUPE");
  Result r;
  r.outcome = run_program_in_child(args, std::move(faults));
  r.after = read_base(dir / "base");
  r.check = check_stored_base(dir / "base");
  return r;
}

bool starts_with(const std::string& s, const std::string& prefix) {
  return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

// Every record's description lies inside the description file, whole, and
// no two share their bytes; a trailing fragment (a record write cut short)
// and lines no record points at are only notes.
std::string inconsistency(const Result& r) {
  if (!r.check.opened || r.check.result.read_failed) return "tolvbase cannot read the base";
  if (r.check.result.problems > 0) return "tolvbase finds problems: " + r.check.text();
  return "";
}

std::string message_problem(const Outcome& o) {
  ErrorMessage message = parse_error_message(o.output);
  if (!message.found || message.trace.empty()) return "no well-formed message";
  if (message.code != o.status) return "the message names another code than the status";
  return "";
}

struct Way {
  const char* name;
  int error;
  ssize_t short_count;
};

const char* call_name(Call kind) {
  static const char* names[] = {"open",      "read",  "write", "pread",     "pwrite",  "lseek",
                                "fstat",     "close", "flock", "stat",      "opendir", "readdir",
                                "ftruncate", "lstat", "fsync", "fdatasync", "reserve", "other"};
  return names[static_cast<int>(kind)];
}

// What must hold after a run with one failed call; empty when all does.
std::string check(const Result& r, const Scenario& s, const Result& clean, Call kind,
                  const Way& way) {
  const Outcome& o = r.outcome;
  if (o.signal != 0) return "ended by signal " + std::to_string(o.signal);
  const StoredBase& after = r.after;
  if (!starts_with(after.records, s.before.records)) return "records that existed were changed";
  if (!starts_with(after.descriptions, s.before.descriptions))
    return "description bytes that existed were changed";
  // A listing read that fails without a code ends the input where it stands,
  // so the last entry may be cut short; every other run writes a prefix.
  bool input_cut = kind == Call::Read && way.error == EPERM;
  if (!input_cut && !starts_with(clean.after.records, after.records))
    return "records are not a prefix of the unfailed run's";
  if (!input_cut && !starts_with(clean.after.descriptions, after.descriptions))
    return "description bytes are not a prefix of the unfailed run's";
  if (o.status == 0 && after.records.size() % kRecordSize != 0)
    return "a fragment after a clean end";
  if (std::string bad = inconsistency(r); !bad.empty()) return bad;
  if (o.status == 0) {
    if (o.output.find("Runtime error") != std::string::npos) return "status 0 with a message";
    if (kind != Call::Write && !o.output.ends_with("DONE.\n")) return "status 0 without DONE.";
  } else if (o.status == 1) {
    // Only the listing's open may fail this way, before the base is touched.
    if (kind != Call::Open) return "status 1 after a failed " + std::string(call_name(kind));
    if (o.output.find(") not found.\n") == std::string::npos) return "status 1 without its line";
    if (after.records != s.before.records) return "status 1 but records written";
  } else if (std::string bad = message_problem(o); !bad.empty()) {
    return bad;
  }
  // What each kind of failure must lead to, where it is certain.
  bool unchanged = (way.error == EINTR && kind != Call::Open) || kind == Call::Write ||
                   kind == Call::Close || kind == Call::Flock ||  // console, close, lock
                   (kind == Call::Read && way.error == 0);        // short listing read
  int status = -1;
  if (kind == Call::Read && way.error == EIO) status = 101;
  if (kind == Call::Pwrite && way.error != EINTR) status = 101;
  if (kind == Call::Fstat && way.error != 0 && way.error != EINTR) status = 101;
  if (unchanged) status = 0;
  if (status >= 0 && o.status != status)
    return "status " + std::to_string(o.status) + ", expected " + std::to_string(status);
  if (unchanged &&
      (after.records != clean.after.records || after.descriptions != clean.after.descriptions))
    return "the file base differs from the unfailed run's";
  return "";
}

void sweep(bool dupe) {
  TempDir dir;
  Scenario s = make_scenario(300, kEntries);
  write_file(dir / "in.lst", s.listing);
  Result clean = convert(dir, s, dupe, {});
  ASSERT_EQ(clean.outcome.status, 0) << clean.outcome.output;
  int calls = calls_made();
  ASSERT_GT(calls, kEntries);
  std::vector<Call> kinds;
  for (int k = 1; k <= calls; ++k) kinds.push_back(kind_of_call(k));

  const Way ways[] = {{"EIO", EIO, -1},
                      {"ENOSPC", ENOSPC, -1},
                      {"short", 0, 7},
                      {"EINTR", EINTR, -1},
                      {"EPERM", EPERM, -1}};
  int swept = 0;
  int failures = 0;
  for (int k = 1; k <= calls; ++k) {
    for (const Way& way : ways) {
      std::string where = std::string(way.name) + " at call " + std::to_string(k);
      Call kind = kinds[k - 1];
      Fault fault;
      fault.when = [k](const CallInfo& info) { return info.nth == k; };
      fault.error = way.error;
      fault.short_count = way.short_count;
      Result r = convert(dir, s, dupe, {fault});
      ++swept;
      std::string problem = check(r, s, clean, kind, way);
      if (!problem.empty()) {
        ADD_FAILURE() << where << " (" << call_name(kind) << "): " << problem << "\n"
                      << r.outcome.output.substr(r.outcome.output.rfind("Processing:") ==
                                                         std::string::npos
                                                     ? 0
                                                     : r.outcome.output.rfind("Processing:"));
        if (++failures == 20) return;
      }
    }
  }
  printf("[ sweep    ] %d calls, %d failure points swept%s\n", calls, swept,
         dupe ? " with -DUPE" : "");
}

TEST(FaultSweep, PlainConversion) {
  sweep(false);
}
TEST(FaultSweep, DuplicateCheck) {
  sweep(true);
}

}  // namespace
}  // namespace tolv::test
