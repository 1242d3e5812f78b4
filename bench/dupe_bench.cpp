// Benchmark of the -DUPE duplicate check.
//
// 1. Whole program runs: -DUPE over listings of 10,000, 20,000 and 40,000
//    entries into an empty base and into a base of 100,000 records, and plain
//    runs of the 40,000 listing. Each run is the program's entry point,
//    run_program, in a forked child with standard output redirected to a
//    file (the binary's main does nothing else). Best of five rounds.
// 2. The check against a straightforward rescan: the same conversion loop
//    (listing reader, check, writer; no console) once with is_duplicate and
//    once with a rescan that reopens the record file and reads it 120 bytes
//    at a time from its first record for every entry. The rescan costs
//    m x (n + m) reads, so it runs on smaller inputs; both methods get the
//    same input and must leave byte-identical files.
//
// Every listing name is new to the base, so no entry is skipped: the rescan
// reads the whole file for every entry, and every run appends m records.
//
// Usage: dupe_bench [RESCAN_ENTRIES...]   (default 2500 5000)
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "app/run.h"
#include "filebase/duplicate.h"
#include "filebase/file_base.h"
#include "listing/reader.h"
#include "runtime/exit.h"
#include "runtime/io_error.h"

namespace fs = std::filesystem;

namespace tolv {
namespace {

constexpr int kBaseRecords = 100000;
constexpr int kRepeats = 5;
constexpr int kRescanIntoBaseEntries = 100;

// A listing of `count` entries named PREFIX0000001.ZIP and on, each with a
// second description line.
void write_listing(const std::string& path, char prefix, int count) {
  std::ofstream out(path, std::ios::binary);
  out << "Generated listing\r\n\r\n";
  char line[128];
  for (int i = 1; i <= count; ++i) {
    snprintf(line, sizeof line, "%c%07d.ZIP%9d  01-15-95  Benchmark file %d\r\n", prefix, i,
             1000 + i, i);
    out << line;
    out << std::string(31, ' ') << "| with a second description line\r\n";
  }
}

std::string read_all(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void copy_base(const std::string& from, const std::string& to) {
  for (const char* ext : {".dir", ".des"}) {
    fs::remove(to + ext);
    if (fs::exists(from + ext)) fs::copy_file(from + ext, to + ext);
  }
}

// Seconds a child took: on the clock, and on the processor (user + system),
// which the other work on a shared machine disturbs far less.
struct Times {
  double wall;
  double cpu;
};

// Runs `body` in a child with standard output in `out`.
Times timed_child(const std::function<void()>& body, const std::string& out) {
  auto start = std::chrono::steady_clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(fd, 1);
    close(fd);
    body();
    _exit(0);
  }
  int status = 0;
  struct rusage usage;
  wait4(pid, &status, 0, &usage);
  double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  auto secs = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  double cpu = secs(usage.ru_utime) + secs(usage.ru_stime);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    fprintf(stderr, "run failed (status %d), see %s\n", status, out.c_str());
    exit(1);
  }
  return {wall, cpu};
}

// ---- 1. whole program runs ----

struct ProgramRun {
  std::string listing;
  std::string start_base;  // "" for an empty base
  bool dupe;
};

Times program_run(const std::string& dir, const ProgramRun& run, int64_t expect_records) {
  std::string base = dir + "/run";
  copy_base(run.start_base.empty() ? dir + "/none" : run.start_base, base);
  std::vector<std::string> args{"tolvconv", run.listing, base};
  if (run.dupe) args.push_back("-DUPE");
  Times t = timed_child(
      [&] {
        std::vector<char*> argv;
        for (std::string& s : args) argv.push_back(s.data());
        argv.push_back(nullptr);
        run_program(static_cast<int>(args.size()), argv.data());
      },
      dir + "/out.txt");
  int64_t records = static_cast<int64_t>(fs::file_size(base + ".dir")) / kRecordSize;
  if (records != expect_records) {
    fprintf(stderr, "expected %lld records, found %lld\n", (long long)expect_records,
            (long long)records);
    exit(1);
  }
  return t;
}

// ---- 2. the check against a rescan, in the same conversion loop ----

// Reopens the record file and reads it from its first record, one record
// per read, until a counting record holds the name or the records run out.
bool rescan_is_duplicate(FileBase& base, std::string_view name) {
  file_close(base.records);
  file_open(base.records, base.record_path, OpenMode::ReadWrite);
  statement_check();
  int64_t records = file_size(base.records) / kRecordSize;
  statement_check();
  std::string_view cut = name.substr(0, std::min<size_t>(name.size(), kFileNameCapacity));
  for (int64_t at = 0; at < records; ++at) {
    if (file_read(base.records, base.record, kRecordSize) < size_t{kRecordSize}) {
      pending_error = kReadPastEnd;
    }
    statement_check();
    FileRecord record = decode_record(base.record);
    if ((record.Flags & kFlagNoDupeCheck) == 0 && record.FileName.length <= kFileNameCapacity &&
        record.FileName.view() == cut) {
      return true;
    }
  }
  return false;
}

using Check = bool (*)(FileBase&, std::string_view);

Listing loop_listing;
FileBase loop_base;

void convert_loop(const std::string& listing, const std::string& base, Check check) {
  open_listing(loop_listing, listing);
  statement_check();
  open_file_base(loop_base, base + ".dir", base + ".des");
  while (const Entry* entry = next_entry(loop_listing)) {
    statement_check();
    if (check(loop_base, entry->file_name.view())) continue;
    append_entry(loop_base, *entry);
    statement_check();
  }
  statement_check();
  close_listing(loop_listing);
  close_file_base(loop_base);
  normal_end();
}

struct Versus {
  Times index;
  Times rescan;
};

Versus check_versus_rescan(const std::string& dir, const std::string& listing,
                           const std::string& start_base) {
  Versus v{};
  std::string results[2];
  for (int method = 0; method < 2; ++method) {
    std::string base = dir + "/loop";
    copy_base(start_base.empty() ? dir + "/none" : start_base, base);
    Check check = method == 0 ? is_duplicate : rescan_is_duplicate;
    Times t = timed_child([&] { convert_loop(listing, base, check); }, dir + "/out.txt");
    (method == 0 ? v.index : v.rescan) = t;
    results[method] = read_all(base + ".dir") + read_all(base + ".des");
  }
  if (results[0] != results[1]) {
    fprintf(stderr, "the index and the rescan left different files for %s\n", listing.c_str());
    exit(1);
  }
  return v;
}

int run(int argc, char** argv) {
  std::vector<int> rescan_sizes;
  for (int i = 1; i < argc; ++i) rescan_sizes.push_back(atoi(argv[i]));
  if (rescan_sizes.empty()) rescan_sizes = {2500, 5000};

  char dir_template[] = "/tmp/tolv-dupe-bench-XXXXXX";
  if (!mkdtemp(dir_template)) return 1;
  std::string dir = dir_template;

  const int sizes[] = {10000, 20000, 40000};
  for (int m : sizes) write_listing(dir + "/l" + std::to_string(m) + ".lst", 'F', m);
  for (int m : rescan_sizes) write_listing(dir + "/r" + std::to_string(m) + ".lst", 'F', m);
  write_listing(dir + "/r" + std::to_string(kRescanIntoBaseEntries) + ".lst", 'F',
                kRescanIntoBaseEntries);

  // The base of 100,000 records, written by the program itself.
  write_listing(dir + "/big.lst", 'B', kBaseRecords);
  copy_base(dir + "/none", dir + "/big");
  timed_child(
      [&] {
        std::string a0 = "tolvconv", a1 = dir + "/big.lst", a2 = dir + "/big";
        char* args[] = {a0.data(), a1.data(), a2.data(), nullptr};
        run_program(3, args);
      },
      dir + "/out.txt");
  const std::string big = dir + "/big";

  // Every round runs every configuration once, so a busy moment of the
  // machine does not fall on one configuration only; the best round counts.
  struct Config {
    const char* label;
    int entries;
    ProgramRun run;
    int64_t records;
    Times best{1e9, 1e9};
  };
  std::vector<Config> configs;
  for (int into_big = 0; into_big < 2; ++into_big) {
    for (int m : sizes) {
      configs.push_back({into_big ? "-DUPE, 100,000 records" : "-DUPE, empty base",
                         m,
                         {dir + "/l" + std::to_string(m) + ".lst", into_big ? big : "", true},
                         (into_big ? kBaseRecords : 0) + m});
    }
  }
  for (int into_big = 0; into_big < 2; ++into_big) {
    configs.push_back({into_big ? "plain, 100,000 records" : "plain, empty base",
                       40000,
                       {dir + "/l40000.lst", into_big ? big : "", false},
                       (into_big ? kBaseRecords : 0) + 40000});
  }
  for (int r = 0; r < kRepeats; ++r) {
    for (Config& c : configs) {
      Times t = program_run(dir, c.run, c.records);
      c.best.wall = std::min(c.best.wall, t.wall);
      c.best.cpu = std::min(c.best.cpu, t.cpu);
    }
  }

  printf("Whole program runs (run_program in a forked child, stdout to a file; best of %d)\n",
         kRepeats);
  printf("%-8s %-22s %9s %7s %9s %7s\n", "entries", "run", "wall s", "ratio", "cpu s", "ratio");
  for (size_t i = 0; i < configs.size(); ++i) {
    const Config& c = configs[i];
    printf("%-8d %-22s %9.3f", c.entries, c.label, c.best.wall);
    bool doubled = i % 3 != 0 && i < 6;
    if (doubled)
      printf(" %7.2f", c.best.wall / configs[i - 1].best.wall);
    else
      printf(" %7s", "");
    printf(" %9.3f", c.best.cpu);
    if (doubled) printf(" %7.2f", c.best.cpu / configs[i - 1].best.cpu);
    printf("\n");
  }
  printf(
      "-DUPE / plain, 40,000 entries: wall %.2f, cpu %.2f (empty base); "
      "wall %.2f, cpu %.2f (100,000 records)\n",
      configs[2].best.wall / configs[6].best.wall, configs[2].best.cpu / configs[6].best.cpu,
      configs[5].best.wall / configs[7].best.wall, configs[5].best.cpu / configs[7].best.cpu);

  printf("\nThe check against a rescan (same conversion loop, no console; one run each)\n");
  printf("%-8s %-16s %9s %9s %9s %9s %9s\n", "entries", "base", "index", "rescan", "speed-up",
         "index", "rescan");
  printf("%-8s %-16s %9s %9s %9s %9s %9s\n", "", "", "wall s", "wall s", "(wall)", "cpu s",
         "cpu s");
  auto row = [](int m, const char* base, const Versus& v) {
    printf("%-8d %-16s %9.3f %9.3f %9.0f %9.3f %9.3f", m, base, v.index.wall, v.rescan.wall,
           v.rescan.wall / v.index.wall, v.index.cpu, v.rescan.cpu);
  };
  double previous_rescan = 0;
  for (int m : rescan_sizes) {
    Versus v = check_versus_rescan(dir, dir + "/r" + std::to_string(m) + ".lst", "");
    row(m, "empty", v);
    if (previous_rescan > 0) printf("  rescan wall ratio %.2f", v.rescan.wall / previous_rescan);
    printf("\n");
    previous_rescan = v.rescan.wall;
  }
  Versus v =
      check_versus_rescan(dir, dir + "/r" + std::to_string(kRescanIntoBaseEntries) + ".lst", big);
  row(kRescanIntoBaseEntries, "100,000 records", v);
  printf("\n");

  fs::remove_all(dir);
  return 0;
}

}  // namespace
}  // namespace tolv

int main(int argc, char** argv) {
  return tolv::run(argc, argv);
}
