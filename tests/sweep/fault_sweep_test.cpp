// The fault sweep: a realistic conversion is run once to count its system
// calls, then once for every call index k with call k made to fail, in each
// of the ways a system call can fail. Every run must leave a consistent file
// base and report exactly what happened:
//  - the exit status is 0 or a run-time error code, and a nonzero status
//    comes with a well-formed message naming it;
//  - the bytes that existed before the run are unchanged;
//  - the records written are a prefix of those the unfailed run writes, and
//    so are the description bytes;
//  - every record points inside the description file at exactly DescLines
//    complete lines;
//  - an interrupted read or write (EINTR) and a short read of the listing
//    change nothing at all.
#include <errno.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>

#include "app/run.h"
#include "filebase/record.h"
#include "support/child.h"
#include "support/faults.h"
#include "support/listing_text.h"

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
  std::string records;  // the base before the run
  std::string descriptions;
};

// An existing base of `stored` records and a listing of `entries` entries
// with one to four description lines; every third entry repeats a stored
// name, so a -DUPE run skips some.
Scenario make_scenario(int stored, int entries) {
  Scenario s;
  for (int i = 0; i < stored; ++i) {
    FileRecord r;
    char name[32];
    snprintf(name, sizeof name, "OLD%05d.ZIP", i);
    r.FileName.assign(name);
    r.Size = i;
    r.Origin.assign("TOLVCONV");
    r.DescPtr = static_cast<int32_t>(s.descriptions.size());
    r.DescLines = 1;
    s.descriptions += std::string(1, '\x04') + "old.";
    uint8_t bytes[kRecordSize];
    encode_record(r, bytes);
    s.records.append(reinterpret_cast<char*>(bytes), kRecordSize);
  }
  s.listing = "Sweep listing\r\n=============\r\n\r\n";
  for (int i = 0; i < entries; ++i) {
    char name[32];
    if (i % 3 == 0)
      snprintf(name, sizeof name, "OLD%05d.ZIP", i);
    else
      snprintf(name, sizeof name, "NEW%05d.ZIP", i);
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
  std::string records;
  std::string descriptions;
};

Result convert(const TempDir& dir, const Scenario& s, bool dupe, std::vector<Fault> faults) {
  write_file(dir / "base.dir", s.records);
  write_file(dir / "base.des", s.descriptions);
  std::vector<std::string> args{dir / "in.lst", dir / "base"};
  if (dupe) args.push_back("-DUPE");
  Result r;
  r.outcome = run_in_child([&] {
    install_faults(faults);
    std::vector<char*> argv;
    static std::string program = "tolvconv";
    argv.push_back(program.data());
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    run_program(static_cast<int>(argv.size()) - 1, argv.data());
  });
  r.records = read_file(dir / "base.dir");
  r.descriptions = read_file(dir / "base.des");
  return r;
}

bool starts_with(const std::string& s, const std::string& prefix) {
  return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

// Every record's description lies inside the description file, whole.
// A trailing fragment (a record write cut short) is not a record.
std::string inconsistency(const Result& r) {
  size_t whole = r.records.size() - r.records.size() % kRecordSize;
  for (size_t at = 0; at < whole; at += kRecordSize) {
    FileRecord rec = decode_record(reinterpret_cast<const uint8_t*>(r.records.data()) + at);
    std::string which = "record " + std::to_string(at / kRecordSize);
    if (rec.DescPtr < 0) return which + " has a negative DescPtr";
    size_t p = static_cast<size_t>(rec.DescPtr);
    for (int line = 0; line < rec.DescLines; ++line) {
      if (p >= r.descriptions.size()) return which + " has lines past the description file";
      p += 1 + static_cast<uint8_t>(r.descriptions[p]);
    }
    if (p > r.descriptions.size()) return which + " has a line cut short";
  }
  return "";
}

std::string message_problem(const Outcome& o) {
  static const std::regex message(
      "Runtime error ([0-9]+) at 0x([0-9A-F]{8})\n  0x\\2\n(  0x[0-9A-F]{8}\n)+\n$");
  std::smatch m;
  if (!std::regex_search(o.output, m, message)) return "no well-formed message";
  if (std::stoi(m[1]) != o.status) return "the message names another code than the status";
  return "";
}

struct Way {
  const char* name;
  int error;
  ssize_t short_count;
};

const char* call_name(Call kind) {
  static const char* names[] = {"open",  "read",  "write", "pread", "pwrite",
                                "lseek", "fstat", "close", "flock", "other"};
  return names[static_cast<int>(kind)];
}

// What must hold after a run with one failed call; empty when all does.
std::string check(const Result& r, const Scenario& s, const Result& clean, Call kind,
                  const Way& way) {
  const Outcome& o = r.outcome;
  if (o.signal != 0) return "ended by signal " + std::to_string(o.signal);
  if (!starts_with(r.records, s.records)) return "records that existed were changed";
  if (!starts_with(r.descriptions, s.descriptions))
    return "description bytes that existed were changed";
  // A listing read that fails without a code ends the input where it stands,
  // so the last entry may be cut short; every other run writes a prefix.
  bool input_cut = kind == Call::Read && way.error == EPERM;
  if (!input_cut && !starts_with(clean.records, r.records))
    return "records are not a prefix of the unfailed run's";
  if (!input_cut && !starts_with(clean.descriptions, r.descriptions))
    return "description bytes are not a prefix of the unfailed run's";
  if (o.status == 0 && r.records.size() % kRecordSize != 0) return "a fragment after a clean end";
  if (std::string bad = inconsistency(r); !bad.empty()) return bad;
  if (o.status == 0) {
    if (o.output.find("Runtime error") != std::string::npos) return "status 0 with a message";
    if (kind != Call::Write && !o.output.ends_with("DONE.\n")) return "status 0 without DONE.";
  } else if (o.status == 1) {
    // Only the listing's open may fail this way, before the base is touched.
    if (kind != Call::Open) return "status 1 after a failed " + std::string(call_name(kind));
    if (o.output.find(") not found.\n") == std::string::npos) return "status 1 without its line";
    if (r.records != s.records) return "status 1 but records written";
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
  if (unchanged && (r.records != clean.records || r.descriptions != clean.descriptions))
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
