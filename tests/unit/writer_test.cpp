#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "filebase/file_base.h"
#include "filebase/record.h"
#include "runtime/io_error.h"
#include "support/child.h"
#include "support/error_message.h"
#include "support/fake_os.h"

namespace tolv {
namespace {

using test::Call;
using test::Fault;
using test::nth_call;
using test::read_file;
using test::write_file;

Entry make_entry(const std::string& name, int32_t size, uint32_t date_time,
                 const std::vector<std::string>& lines) {
  Entry entry;
  entry.file_name.assign(name);
  entry.size = size;
  entry.date_time = date_time;
  entry.desc_count = static_cast<int>(lines.size());
  for (size_t i = 0; i < lines.size(); ++i) entry.desc[i].assign(lines[i]);
  return entry;
}

std::string bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

std::string le32(uint32_t value) {
  return bytes(
      {int(value & 0xFF), int(value >> 8 & 0xFF), int(value >> 16 & 0xFF), int(value >> 24)});
}

// The 120 bytes a record must have, laid out by hand: every byte that is
// not a field is 0.
std::string expected_record(const std::string& name, int32_t size, uint32_t date_time,
                            int32_t desc_ptr, int desc_lines) {
  std::string r(120, '\0');
  std::string stored = name.substr(0, 70);
  r[0] = static_cast<char>(stored.size());
  r.replace(1, stored.size(), stored);
  r.replace(72, 4, le32(static_cast<uint32_t>(size)));
  r.replace(76, 4, le32(date_time));
  r[80] = 8;
  r.replace(81, 8, "TOLVCONV");
  r.replace(112, 4, le32(static_cast<uint32_t>(desc_ptr)));
  r[116] = static_cast<char>(desc_lines);
  return r;
}

// A description as stored: a length byte before each line.
std::string stored_lines(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += static_cast<char>(line.size()) + line;
  return out;
}

class Writer : public testing::Test {
 protected:
  void SetUp() override { saved_umask = umask(022); }
  void TearDown() override {
    if (is_open) close_file_base(*base);
    test::remove_faults();
    pending_error = 0;
    umask(saved_umask);
  }

  void open() {
    base = std::make_unique<FileBase>();
    open_file_base(*base, dir / "base.dir", dir / "base.des");
    is_open = true;
  }

  void append(const Entry& entry) {
    append_entry(*base, entry);
    ASSERT_EQ(pending_error, 0);
  }

  std::string records() { return read_file(dir / "base.dir"); }
  std::string descriptions() { return read_file(dir / "base.des"); }

  test::TempDir dir;
  std::unique_ptr<FileBase> base;
  bool is_open = false;
  mode_t saved_umask = 0;
};

TEST_F(Writer, WorkedExampleOfARecord) {
  open();
  append(make_entry("DEMO.ZIP", 202574, 0x1A410000, {"Demo archive", "with sources"}));
  std::string want(120, '\0');
  want.replace(0, 9, bytes({0x08, 0x44, 0x45, 0x4D, 0x4F, 0x2E, 0x5A, 0x49, 0x50}));
  want.replace(72, 4, bytes({0x4E, 0x17, 0x03, 0x00}));
  want.replace(76, 4, bytes({0x00, 0x00, 0x41, 0x1A}));
  want.replace(80, 9, bytes({0x08, 0x54, 0x4F, 0x4C, 0x56, 0x43, 0x4F, 0x4E, 0x56}));
  want[116] = 0x02;
  EXPECT_EQ(records(), want);
  EXPECT_EQ(descriptions(),
            "\x0c"
            "Demo archive"
            "\x0c"
            "with sources");

  // The next entry lands at byte 120 with DescPtr 26.
  append(make_entry("NEXT.ZIP", 1, 0, {"n"}));
  ASSERT_EQ(records().size(), 240u);
  EXPECT_EQ(records().substr(232, 4), bytes({26, 0, 0, 0}));
}

TEST_F(Writer, WorkedExampleOfTwoEntries) {
  open();
  append(make_entry("ONE", 1, 0, {"Demo", ""}));
  append(make_entry("TWO", 2, 0, {"x"}));
  std::string dir_bytes = records();
  ASSERT_EQ(dir_bytes.size(), 240u);
  EXPECT_EQ(dir_bytes.substr(112, 5), bytes({0, 0, 0, 0, 2}));        // DescPtr 0, 2 lines
  EXPECT_EQ(dir_bytes.substr(120 + 112, 5), bytes({6, 0, 0, 0, 1}));  // DescPtr 6, 1 line
  EXPECT_EQ(descriptions(), bytes({0x04, 0x44, 0x65, 0x6D, 0x6F, 0x00, 0x01, 0x78}));
}

TEST_F(Writer, EveryRecordDependsOnlyOnItsEntry) {
  // A long entry first, so stale bytes of the record buffer would show in
  // the shorter records after it.
  std::string name75(75, 'N');
  std::string line50(50, 'L');
  struct Case {
    std::string name;
    int32_t size;
    uint32_t date_time;
    std::vector<std::string> lines;
  } cases[] = {
      {name75, -1, 0xFFFFFFFF, std::vector<std::string>(99, line50)},
      {"A", 0, 0, {""}},  // one empty line: one byte
      {"", 7, 0x1E2F0000, {"", "", "x"}},
      {"READ.ME", 1024, 0x27980000, {"Read first", "second"}},
      {std::string(70, 'S'), 2147483647, 0x00210000, {line50}},
  };
  open();
  int32_t desc_ptr = 0;
  std::string want_records, want_descriptions;
  for (const Case& c : cases) {
    append(make_entry(c.name, c.size, c.date_time, c.lines));
    want_records +=
        expected_record(c.name, c.size, c.date_time, desc_ptr, static_cast<int>(c.lines.size()));
    want_descriptions += stored_lines(c.lines);
    desc_ptr = static_cast<int32_t>(want_descriptions.size());
  }
  std::string got = records();
  ASSERT_EQ(got.size(), want_records.size());
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(got.substr(120 * i, 120), want_records.substr(120 * i, 120)) << "record " << i;
  EXPECT_EQ(descriptions(), want_descriptions);
  // The 75-character name keeps its first 70.
  EXPECT_EQ(got.substr(0, 71), "\x46" + std::string(70, 'N'));
  // The entry with one empty line added exactly one byte.
  EXPECT_EQ(got.substr(120 + 112, 4), le32(99 * 51));
  EXPECT_EQ(got.substr(240 + 112, 4), le32(99 * 51 + 1));
}

// A stored record through decode and encode. Byte i is 0x80 + i, so that every
// byte of every field is set, high bit included, and one dropped or moved
// shows. Past its length a string's bytes are read only when the length byte
// is past the capacity; the fields are written out by hand.
TEST(RecordLayout, EveryByteOfEveryFieldIsDecodedAndEncoded) {
  std::string high(kRecordSize, '\0');
  for (int i = 0; i < kRecordSize; ++i) high[i] = static_cast<char>(0x80 + i);
  auto fields = [](const FileRecord& r) {
    return std::tuple(r.FileName.length, std::string(r.FileName.view()), r.Size, r.DateTime,
                      r.Origin.length, std::string(r.Origin.view()), r.Flags, r.DescPtr,
                      r.DescLines, r.AuxCount);
  };
  struct Case {
    uint8_t name_length, origin_length;  // as stored
    size_t name_kept, origin_kept;       // the bytes they give
    bool padding;                        // bytes 71 and 117 are 0: encode gives the same bytes
  } cases[] = {{70, 30, 70, 30, true}, {3, 0, 3, 0, false}, {255, 31, 70, 30, false}};
  for (const Case& c : cases) {
    std::string stored = high;
    stored[kFileNameAt] = static_cast<char>(c.name_length);
    stored[kOriginAt] = static_cast<char>(c.origin_length);
    if (c.padding) stored[71] = stored[117] = 0;
    FileRecord back = decode_record(reinterpret_cast<const uint8_t*>(stored.data()));
    EXPECT_EQ(fields(back),
              std::tuple(c.name_length, high.substr(1, c.name_kept), int32_t(0xCBCAC9C8),
                         0xCFCECDCCu, c.origin_length, high.substr(81, c.origin_kept),
                         uint8_t{0xEF}, int32_t(0xF3F2F1F0), uint8_t{0xF4}, uint16_t{0xF7F6}))
        << int{c.name_length};
    // Written again: the lengths within the capacity, nothing past them.
    std::string want(kRecordSize, '\0');
    want[kFileNameAt] = static_cast<char>(c.name_kept);
    want.replace(1, c.name_kept, high, 1, c.name_kept);
    want.replace(kSizeAt, 8, high, kSizeAt, 8);
    want[kOriginAt] = static_cast<char>(c.origin_kept);
    want.replace(81, c.origin_kept, high, 81, c.origin_kept);
    want.replace(kFlagsAt, 6, high, kFlagsAt, 6);
    want.replace(kAuxCountAt, 2, high, kAuxCountAt, 2);
    uint8_t out[kRecordSize];
    encode_record(back, out);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), kRecordSize), want) << int{c.name_length};
    if (c.padding) {
      EXPECT_EQ(want, stored);
    }
  }
}

TEST_F(Writer, AppendsAfterTheLastWholeRecord) {
  struct Case {
    size_t records;
    size_t fragment;     // bytes of a record cut short at the end
    size_t description;  // bytes already in the description file
  } cases[] = {{0, 0, 0}, {3, 0, 77}, {2, 50, 30}, {0, 119, 5}, {1, 1, 0}};
  for (const Case& c : cases) {
    std::string old_records;
    for (size_t i = 0; i < c.records; ++i)
      old_records += std::string(120, static_cast<char>('a' + i));
    std::string old_descriptions(c.description, 'd');
    write_file(dir / "base.dir", old_records + std::string(c.fragment, 'f'));
    write_file(dir / "base.des", old_descriptions);
    open();
    append(make_entry("NEW.ZIP", 5, 0x1E2F0000, {"new"}));
    close_file_base(*base);
    is_open = false;
    EXPECT_EQ(records(), old_records + expected_record("NEW.ZIP", 5, 0x1E2F0000,
                                                       static_cast<int32_t>(c.description), 1))
        << c.records << " records + " << c.fragment;
    EXPECT_EQ(descriptions(), old_descriptions +
                                  "\x03"
                                  "new");
  }
}

TEST_F(Writer, CreatesMissingFilesWith0666LessTheUmask) {
  for (mode_t mask : {mode_t{0}, mode_t{022}, mode_t{027}, mode_t{077}}) {
    umask(mask);
    unlink((dir / "base.dir").c_str());
    unlink((dir / "base.des").c_str());
    open();
    close_file_base(*base);
    is_open = false;
    for (const char* name : {"base.dir", "base.des"}) {
      struct stat st;
      ASSERT_EQ(stat((dir / name).c_str(), &st), 0) << name;
      EXPECT_EQ(st.st_mode & 07777, 0666 & ~mask) << name << " umask " << std::oct << mask;
      EXPECT_EQ(st.st_size, 0) << name;
    }
  }
}

TEST_F(Writer, AnExistingFileIsNeverTruncated) {
  // The first open of each file fails for a passing cause; the create that
  // follows finds the file and must keep its contents.
  std::string old_records(120, 'r'), old_descriptions(10, 'd');
  write_file(dir / "base.dir", old_records);
  write_file(dir / "base.des", old_descriptions);
  std::vector<int> open_flags;
  test::install_faults({
      Fault{[&](const test::CallInfo& c) {
        if (c.kind == Call::Open) open_flags.push_back(c.flags);
        return false;
      }},
      Fault{test::open_of(".dir"), EMFILE},
      Fault{test::open_of(".des"), EACCES},
  });
  open();
  append(make_entry("NEW.ZIP", 5, 0, {"new"}));
  EXPECT_EQ(records(), old_records + expected_record("NEW.ZIP", 5, 0, 10, 1));
  EXPECT_EQ(descriptions(), old_descriptions +
                                "\x03"
                                "new");
  ASSERT_EQ(open_flags.size(), 4u);
  for (int flags : open_flags) {
    EXPECT_EQ(flags & O_ACCMODE, O_RDWR);
    EXPECT_EQ(flags & O_TRUNC, 0);
  }
  EXPECT_EQ(open_flags[0] & O_CREAT, 0);
  EXPECT_EQ(open_flags[1] & O_CREAT, O_CREAT);
}

TEST_F(Writer, RecordFileThatCannotBeCreatedEndsTheRunBeforeTheDescriptionFile) {
  struct Case {
    int error;
    int status;
  } cases[] = {{EACCES, 5}, {ENOENT, 2}, {EMFILE, 4}};
  for (const Case& c : cases) {
    for (bool description_exists : {true, false}) {
      unlink((dir / "base.des").c_str());
      if (description_exists) write_file(dir / "base.des", "existing lines");
      test::Outcome run = test::run_in_child([&] {
        test::install_faults({Fault{test::open_of(".dir"), c.error, -1, false}});
        static FileBase child_base;
        open_file_base(child_base, dir / "base.dir", dir / "base.des");
        _exit(200);  // not reached: the failure ends the run
      });
      EXPECT_EQ(run.status, c.status) << run.output;
      test::ErrorMessage message = test::parse_error_message(run.output);
      EXPECT_TRUE(message.found && message.code == c.status) << run.output;
      EXPECT_FALSE(test::file_exists(dir / "base.dir"));
      if (description_exists)
        EXPECT_EQ(descriptions(), "existing lines");
      else
        EXPECT_FALSE(test::file_exists(dir / "base.des"));
    }
  }
}

// ------------------------------------------------- the system calls made

struct Pwrite {
  int fd;
  size_t count;
  off_t offset;
};

// Notes every pwrite and fails none.
Fault log_pwrites(std::vector<Pwrite>& log) {
  return Fault{.when =
                   [&log](const test::CallInfo& c) {
                     if (c.kind == Call::Pwrite) log.push_back({c.fd, c.count, c.offset});
                     return false;
                   },
               .once = false};
}

using WriterCalls = Writer;

TEST_F(WriterCalls, DescriptionLinesGoOutInOneWriteBeforeTheRecord) {
  open();
  std::vector<Pwrite> pwrites;
  test::install_faults({log_pwrites(pwrites)});
  for (int lines : {1, 2, 10, 99}) {
    pwrites.clear();
    std::vector<std::string> text(lines, "some text");
    append(make_entry("F.ZIP", 1, 0, text));
    ASSERT_EQ(pwrites.size(), 2u) << lines << " lines";
    EXPECT_EQ(pwrites[0].fd, base->descriptions.fd);
    EXPECT_EQ(pwrites[0].count, size_t(lines) * 10);
    EXPECT_EQ(pwrites[0].offset, off_t(descriptions().size()) - off_t(lines) * 10);
    EXPECT_EQ(pwrites[1].fd, base->records.fd);
    EXPECT_EQ(pwrites[1].count, 120u);
    EXPECT_EQ(pwrites[1].offset, off_t(records().size()) - 120);
  }
}

TEST_F(WriterCalls, AtMostFourSystemCallsPerEntry) {
  open();
  test::install_faults({});
  int entries = 0;
  for (int lines = 1; lines <= 99; lines += 7, ++entries)
    append(make_entry("F.ZIP", 1, 0, std::vector<std::string>(lines, "x")));
  EXPECT_LE(test::calls_made(), 4 * entries);
  EXPECT_EQ(test::calls_made(Call::Pwrite), 2 * entries);
  EXPECT_EQ(test::calls_made(Call::Lseek), 0);
  EXPECT_EQ(test::calls_made(Call::Write), 0);
}

TEST_F(WriterCalls, DescriptionFileOf2GiBOrMoreEndsWith101BeforeAnyWrite) {
  open();
  std::vector<Pwrite> pwrites;
  // The description file reports `size`. Its bytes are never really written
  // at such an offset: a writer that let them through would otherwise leave
  // a huge sparse file.
  auto sized = [&](off_t size) {
    int fd = base->descriptions.fd;
    test::install_faults(
        {log_pwrites(pwrites),
         Fault{.when = test::every_call(Call::Fstat, fd), .once = false, .size = size},
         Fault{.when = test::every_call(Call::Pwrite, fd), .once = false, .lost = true}});
  };
  for (off_t size : {off_t{1} << 31, (off_t{1} << 31) + 5000, off_t{1} << 40}) {
    sized(size);
    append_entry(*base, make_entry("BIG.ZIP", 1, 0, {"big"}));
    EXPECT_EQ(error_code_query(), 101) << size;
    EXPECT_TRUE(pwrites.empty()) << size;
  }
  EXPECT_EQ(records(), "");

  // One byte less still fits DescPtr.
  off_t fits = (off_t{1} << 31) - 1;
  sized(fits);
  append(make_entry("EDGE.ZIP", 1, 0, {"edge"}));
  ASSERT_EQ(pwrites.size(), 2u);
  EXPECT_EQ(pwrites[0].offset, fits);
  EXPECT_EQ(records(), expected_record("EDGE.ZIP", 1, 0, 0x7FFFFFFF, 1));
}

TEST_F(WriterCalls, AFailureNeverLeavesARecordWithoutItsDescription) {
  const std::string lines = stored_lines({"lines", "of F"});
  struct Case {
    const char* what;
    Fault fault;
    uint16_t code;
    size_t description_bytes;  // of the entry's lines that reach the file
  } cases[] = {
      {"description write, device error", {nth_call(Call::Pwrite, 1), EIO}, 101, 0},
      {"description write, no space", {nth_call(Call::Pwrite, 1), ENOSPC}, 101, 0},
      {"description write, read-only file", {nth_call(Call::Pwrite, 1), EBADF}, 6, 0},
      {"description write, errno without a code", {nth_call(Call::Pwrite, 1), EFBIG}, 101, 0},
      {"description write, short", {nth_call(Call::Pwrite, 1), 0, 3}, 101, 3},
      {"description size unknown", {nth_call(Call::Fstat, 1), EIO}, 101, 0},
      {"description size unknown, errno without a code",
       {nth_call(Call::Fstat, 1), EOVERFLOW},
       101,
       0},
      {"record write, device error", {nth_call(Call::Pwrite, 2), EIO}, 101, lines.size()},
      {"record write, read-only file", {nth_call(Call::Pwrite, 2), EBADF}, 6, lines.size()},
      {"record write, short", {nth_call(Call::Pwrite, 2), 0, 119}, 101, lines.size()},
      {"record file size unknown", {nth_call(Call::Fstat, 2), EIO}, 101, lines.size()},
      {"record file size unknown, errno without a code",
       {nth_call(Call::Fstat, 2), EOVERFLOW},
       101,
       lines.size()},
  };
  for (const Case& c : cases) {
    write_file(dir / "base.dir", std::string(120, 'r'));
    write_file(dir / "base.des", "old");
    open();
    test::install_faults({c.fault});
    append_entry(*base, make_entry("F.ZIP", 1, 0, {"lines", "of F"}));
    EXPECT_EQ(error_code_query(), c.code) << c.what;
    test::remove_faults();
    close_file_base(*base);
    is_open = false;
    // No new whole record (a short write leaves a fragment, which is no
    // record); the lines may be there, unreferenced, at the end.
    std::string got = records();
    EXPECT_EQ(got.size() / 120, 1u) << c.what;
    EXPECT_EQ(got.substr(0, 120), std::string(120, 'r')) << c.what;
    EXPECT_EQ(descriptions(), "old" + lines.substr(0, c.description_bytes)) << c.what;
  }
}

}  // namespace
}  // namespace tolv
