#include "listing/reader.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <ostream>
#include <string>
#include <type_traits>
#include <vector>

#include "runtime/io_error.h"
#include "support/allocations.h"
#include "support/child.h"
#include "support/fake_os.h"
#include "support/listing_text.h"

namespace tolv {
namespace {

using test::continuation_line;
using test::entry_line;

// An entry as plain values, so whole entries compare at once.
struct Got {
  std::string name;
  int32_t size = 0;
  uint32_t date = 0;
  std::vector<std::string> desc;
  bool operator==(const Got&) const = default;
};

void PrintTo(const Got& got, std::ostream* out) {
  *out << "{" << testing::PrintToString(got.name) << ", " << got.size << ", 0x" << std::hex
       << got.date << std::dec << ", " << testing::PrintToString(got.desc) << "}";
}

Got got_of(const Entry& entry) {
  Got got{std::string(entry.file_name.view()), entry.size, entry.date_time, {}};
  for (int i = 0; i < entry.desc_count; ++i) got.desc.emplace_back(entry.desc[i].view());
  return got;
}

// Read sizes that every result must be independent of: 0 is the plain read
// of 256 bytes, the others cut every read request short through the seam.
constexpr ssize_t kReadSizes[] = {0, 1, 2, 3, 7, 100, 255};

class ReaderTest : public testing::Test {
 protected:
  void TearDown() override {
    if (listing) close_listing(*listing);
    test::remove_faults();
    pending_error = 0;
  }

  // Opens a listing that holds `bytes`. With read_size > 0 every read
  // request returns at most that many bytes. Counting of calls restarts.
  Listing& open(const std::string& bytes, ssize_t read_size = 0) {
    if (listing) close_listing(*listing);
    test::write_file(dir / "x.lst", bytes);
    std::vector<test::Fault> faults;
    if (read_size > 0)
      faults.push_back({[](const test::CallInfo& c) { return c.kind == test::Call::Read; }, 0,
                        read_size, false});
    test::install_faults(faults);
    listing = std::make_unique<Listing>();
    open_listing(*listing, dir / "x.lst");
    EXPECT_EQ(pending_error, 0);
    return *listing;
  }

  // Every line of `bytes`, as read_line and the end-of-input test see them.
  std::vector<std::string> lines(const std::string& bytes, ssize_t read_size = 0) {
    Listing& l = open(bytes, read_size);
    std::vector<std::string> out;
    while (!end_of_input(l) && out.size() <= bytes.size()) {
      read_line(l);
      out.emplace_back(l.line.view());
    }
    EXPECT_EQ(pending_error, 0);
    return out;
  }

  // Every entry of `bytes`; checks that the end, once reported, stays.
  std::vector<Got> entries(const std::string& bytes, ssize_t read_size = 0) {
    Listing& l = open(bytes, read_size);
    std::vector<Got> out;
    while (const Entry* e = next_entry(l)) {
      out.push_back(got_of(*e));
      if (out.size() > bytes.size()) break;  // a scan that never ends
    }
    EXPECT_EQ(next_entry(l), nullptr);
    EXPECT_EQ(pending_error, 0);
    return out;
  }

  test::TempDir dir;
  std::unique_ptr<Listing> listing;
};

std::string crlf(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return out;
}

// ---------------------------------------------------------------- lines

class ReadLine : public ReaderTest {};

TEST_F(ReadLine, EveryKindOfLineEndWhateverTheReadSize) {
  struct Case {
    std::string bytes;
    std::vector<std::string> lines;
  } cases[] = {
      {"a\nbc\n", {"a", "bc"}},
      {"a\r\nbc\r\n", {"a", "bc"}},
      {"a\rbc\r", {"a", "bc"}},
      {"a\n\rb", {"a", "", "b"}},  // LF CR: two line ends, an empty line between
      {"a\r\r\nb", {"a", "", "b"}},
      {"a\r\nb\nc\rd\n\re\r\n", {"a", "b", "c", "d", "", "e"}},
      {"a\n\nb", {"a", "", "b"}},
      {"a", {"a"}},      // a last line without line end
      {"a\r\n", {"a"}},  // no empty line after the final line end
      {"a\r\n\r\n", {"a", ""}},
      {"\n", {""}},
      {"\r", {""}},
      {"\r\n", {""}},
      {"", {}},
  };
  for (const Case& c : cases)
    for (ssize_t size : kReadSizes)
      EXPECT_EQ(lines(c.bytes, size), c.lines)
          << testing::PrintToString(c.bytes) << " read size " << size;
}

TEST_F(ReadLine, CrAndLfSplitAcrossTwoReads) {
  // A first line of 200 bytes, then a second line whose CR lands at byte
  // 254, 255 (the last byte of the first read) or 256 (the first byte of the
  // second read), followed by LF, by another byte, or by nothing.
  for (size_t cr_at : {254, 255, 256}) {
    std::string head = std::string(200, 'a') + "\n" + std::string(cr_at - 201, 'b');
    ASSERT_EQ(head.size(), cr_at);
    std::vector<std::string> first{std::string(200, 'a'), std::string(cr_at - 201, 'b')};
    struct Tail {
      std::string bytes;
      std::vector<std::string> more;
    } tails[] = {{"\r\nnext\r\n", {"next"}}, {"\rnext", {"next"}}, {"\r", {}}, {"\r\n", {}}};
    for (const Tail& tail : tails) {
      std::vector<std::string> want = first;
      want.insert(want.end(), tail.more.begin(), tail.more.end());
      for (ssize_t size : kReadSizes)
        EXPECT_EQ(lines(head + tail.bytes, size), want)
            << "CR at " << cr_at << ", tail " << testing::PrintToString(tail.bytes)
            << ", read size " << size;
    }
  }
}

TEST_F(ReadLine, KeepsTheFirst255CharactersAndSkipsTheRest) {
  std::string long_line;
  for (int i = 0; i < 1000; ++i) long_line += static_cast<char>('a' + i % 26);
  for (size_t length : {254, 255, 256, 300, 1000}) {
    std::string line = long_line.substr(0, length);
    for (const char* end : {"\n", "\r\n", "\r"})
      for (ssize_t size : kReadSizes)
        EXPECT_EQ(lines(line + end + "next" + end, size),
                  (std::vector<std::string>{line.substr(0, 255), "next"}))
            << "length " << length << ", read size " << size;
  }
}

TEST_F(ReadLine, CtrlZNulAndHighBytesAreOrdinary) {
  std::string odd(
      "a\x1a"
      "b\0c\x80\xff\x1a",
      8);
  EXPECT_EQ(lines(odd + "\r\n" + odd), (std::vector<std::string>{odd, odd}));
  // A lone Ctrl-Z after the last line end is a last line of its own.
  EXPECT_EQ(lines("a\r\n\x1a"), (std::vector<std::string>{"a", "\x1a"}));
}

TEST_F(ReadLine, ZeroByteListingIsAtItsEndFromTheStart) {
  Listing& l = open("");
  EXPECT_EQ(test::calls_made(test::Call::Read), 0);  // nothing is read at the open
  EXPECT_TRUE(end_of_input(l));
  EXPECT_TRUE(end_of_input(l));
  EXPECT_EQ(next_entry(l), nullptr);
  EXPECT_EQ(next_entry(l), nullptr);
}

TEST_F(ReadLine, ReadFailures) {
  // Entry lines of 98 characters + CR LF: the first read holds entries 1
  // and 2 and the first 56 bytes of entry 3.
  std::string bytes;
  for (const char* name : {"ONE", "TWO", "THREE", "FOUR"})
    bytes += crlf({entry_line(name, "1", "01-15-95", std::string(65, 'x'))});
  ASSERT_EQ(bytes.size(), 400u);
  auto fail_second_read = [&](int error) {
    open(bytes);
    test::install_faults({test::Fault{test::nth_call(test::Call::Read, 2), error}});
  };

  // A failure with a code: the entry before is returned clean, the call
  // during which the read fails leaves the code for the statement check.
  fail_second_read(EIO);
  const Entry* e = next_entry(*listing);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->file_name.view(), "ONE");
  EXPECT_EQ(pending_error, 0);
  next_entry(*listing);
  EXPECT_EQ(pending_error, 101);
  pending_error = 0;

  // A failure without a code is the end of the input: the 56 bytes read of
  // the third line are its last line.
  fail_second_read(EISDIR);
  std::vector<std::string> names;
  while ((e = next_entry(*listing))) names.emplace_back(e->file_name.view());
  EXPECT_EQ(names, (std::vector<std::string>{"ONE", "TWO", "THREE"}));
  EXPECT_EQ(pending_error, 0);
}

TEST_F(ReadLine, ReadsTheListingOnceIn256ByteRequests) {
  // ceil(N / 256) requests that give bytes, then one that gives none.
  std::string bytes;
  while (bytes.size() < 10000) bytes += entry_line("X.ZIP", "1", "01-15-95", "text") + "\r\n";
  for (size_t n : {size_t{0}, size_t{1}, size_t{256}, size_t{257}, bytes.size()}) {
    std::string part = bytes.substr(0, n);
    entries(part);
    EXPECT_EQ(test::calls_made(test::Call::Read), static_cast<int>((n + 255) / 256 + 1))
        << n << " bytes";
  }
}

// ---------------------------------------------------------------- scan

class Scan : public ReaderTest {};

TEST_F(Scan, WorkedExampleOfSixLines) {
  std::string sixty = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWX";
  ASSERT_EQ(sixty.size(), 60u);
  std::string bytes = crlf({
      "Utilities",
      entry_line("DEMO.ZIP", "202574", "02-01-93", "Demo archive"),
      continuation_line("with sources"),
      "",
      entry_line("READ.ME", "1024", "12-24-99", "Read first"),
      continuation_line(sixty),
  });
  std::vector<Got> want{
      {"DEMO.ZIP", 202574, 0x1A410000, {"Demo archive", "with sources"}},
      {"READ.ME", 1024, 0x27980000, {"Read first", sixty.substr(0, 50)}},
  };
  for (ssize_t size : kReadSizes) EXPECT_EQ(entries(bytes, size), want) << "read size " << size;
}

TEST_F(Scan, ListingsWithoutEntries) {
  for (std::string bytes : {
           std::string(""),
           crlf({"Header", "", "========"}),
           crlf({continuation_line("a bar line with no entry before it")}),
           // 28 characters: the dashes of a date, but no column 29.
           crlf({entry_line("NAME.ZIP", "1234", "01-15-95", "text").substr(0, 28)}),
       })
    EXPECT_EQ(entries(bytes), std::vector<Got>{}) << testing::PrintToString(bytes);
}

TEST_F(Scan, WhichLinesStartAndContinueAnEntry) {
  std::string a = entry_line("A.ZIP", "1", "01-15-95", "a1");
  std::string b = entry_line("B.ZIP", "2", "01-15-95", "b1");
  // '|' in column 32 as well as '-' in columns 26 and 29.
  std::string both = entry_line("BOTH.ZIP", "3", "01-15-95", "");
  both[31] = '|';
  both += "both";
  struct Case {
    const char* what;
    std::vector<std::string> lines;
    std::vector<Got> want;
  } cases[] = {
      {"two consecutive entry lines",
       {a, b},
       {{"A.ZIP", 1, 0x1E2F0000, {"a1"}}, {"B.ZIP", 2, 0x1E2F0000, {"b1"}}}},
      {"a blank line between entry and '|' lines ends the entry",
       {a, "", continuation_line("lost"), continuation_line("lost too"), b,
        continuation_line("b2")},
       {{"A.ZIP", 1, 0x1E2F0000, {"a1"}}, {"B.ZIP", 2, 0x1E2F0000, {"b1", "b2"}}}},
      {"any other line ends the entry; '|' lines after it are skipped",
       {a, continuation_line("a2"), "Some text", continuation_line("lost"), b},
       {{"A.ZIP", 1, 0x1E2F0000, {"a1", "a2"}}, {"B.ZIP", 2, 0x1E2F0000, {"b1"}}}},
      {"'|' lines before the first entry are skipped",
       {continuation_line("lost"), continuation_line("lost"), a},
       {{"A.ZIP", 1, 0x1E2F0000, {"a1"}}}},
      {"...unless '-' in columns 26 and 29 makes them an entry line",
       {continuation_line("lost"), both, continuation_line("two")},
       {{"BOTH.ZIP", 3, 0x1E2F0000, {"both", "two"}}}},
      {"during the collection column 32 alone decides",
       {a, both, continuation_line("a3"), b},
       {{"A.ZIP", 1, 0x1E2F0000, {"a1", "both", "a3"}}, {"B.ZIP", 2, 0x1E2F0000, {"b1"}}}},
      {"a line shorter than 32 never continues",
       {a, std::string(30, ' ') + "|", b},
       {{"A.ZIP", 1, 0x1E2F0000, {"a1"}}, {"B.ZIP", 2, 0x1E2F0000, {"b1"}}}},
      {"a '|' line shorter than 34 adds an empty line",
       {a, std::string(31, ' ') + "|", std::string(31, ' ') + "| ", continuation_line("a4")},
       {{"A.ZIP", 1, 0x1E2F0000, {"a1", "", "", "a4"}}}},
      {"description text is kept exactly and cut to 50",
       {a, continuation_line("  \tblanks kept \t "), continuation_line(std::string(80, 'x'))},
       {{"A.ZIP", 1, 0x1E2F0000, {"a1", "  \tblanks kept \t ", std::string(50, 'x')}}}},
  };
  for (const Case& c : cases)
    for (ssize_t size : kReadSizes)
      EXPECT_EQ(entries(crlf(c.lines), size), c.want) << c.what << ", read size " << size;
}

TEST_F(Scan, LastLineOfTheListing) {
  std::string head = entry_line("HEAD.ZIP", "1", "01-15-95", "head");
  std::string last = entry_line("LAST.ZIP", "9", "12-24-99", "last");
  std::string both = entry_line("BOTH.ZIP", "3", "01-15-95", "");
  both[31] = '|';
  both += "both";
  Got head1{"HEAD.ZIP", 1, 0x1E2F0000, {"head"}};
  Got last1{"LAST.ZIP", 9, 0x27980000, {"last"}};
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<Got> want;
  } cases[] = {
      // An entry line that is the last line is converted, with its one
      // description line, whether the scan reads it itself...
      {"entry line read by the scan, no line end", "Header\r\n" + last, {last1}},
      {"entry line read by the scan, with line end", "Header\r\n" + last + "\r\n", {last1}},
      {"the only line", last, {last1}},
      // ...or it is the line that ended the previous entry's collection.
      {"entry line after an entry, no line end", head + "\r\n" + last, {head1, last1}},
      {"entry line after an entry, LF", head + "\n" + last + "\n", {head1, last1}},
      {"entry line after a continuation line",
       head + "\r\n" + continuation_line("more") + "\r\n" + last,
       {{"HEAD.ZIP", 1, 0x1E2F0000, {"head", "more"}}, last1}},
      // A last continuation line without line end still counts.
      {"continuation line without line end",
       head + "\r\n" + continuation_line("more"),
       {{"HEAD.ZIP", 1, 0x1E2F0000, {"head", "more"}}}},
      // A line consumed as a continuation line is never examined again,
      // even when it is also an entry line and the listing's last line.
      {"continuation line that is also an entry line, last",
       head + "\r\n" + both + "\r\n",
       {{"HEAD.ZIP", 1, 0x1E2F0000, {"head", "both"}}}},
      // A lone Ctrl-Z after the last line end ends the description.
      {"Ctrl-Z after the last line end",
       head + "\r\n" + continuation_line("more") + "\r\n\x1a",
       {{"HEAD.ZIP", 1, 0x1E2F0000, {"head", "more"}}}},
  };
  for (const Case& c : cases)
    for (ssize_t size : kReadSizes)
      EXPECT_EQ(entries(c.bytes, size), c.want) << c.what << ", read size " << size;
}

TEST_F(Scan, MoreThan99DescriptionLinesAreConsumedAndDropped) {
  for (int extra : {97, 98, 99, 150}) {
    std::vector<std::string> lines{entry_line("MANY.ZIP", "1", "01-15-95", "line 1")};
    Got many{"MANY.ZIP", 1, 0x1E2F0000, {"line 1"}};
    for (int i = 2; i <= extra + 1; ++i) {
      lines.push_back(continuation_line("line " + std::to_string(i)));
      if (i <= 99) many.desc.push_back("line " + std::to_string(i));
    }
    lines.push_back(entry_line("NEXT.ZIP", "2", "01-15-95", "next"));
    lines.push_back(continuation_line("next 2"));
    std::vector<Got> want{many, {"NEXT.ZIP", 2, 0x1E2F0000, {"next", "next 2"}}};
    EXPECT_EQ(entries(crlf(lines)), want) << extra << " continuation lines";
    EXPECT_EQ(entries(crlf(lines), 3), want) << extra << " continuation lines";
  }
}

// What the observer is told: every line once, in order, with the number a
// line count gives, whatever the read size; the line that ends an entry is
// told when the next call examines it, before the next entry is returned.
TEST_F(Scan, TheObserverIsToldEveryLineOnceInOrder) {
  struct Told {
    int64_t number;
    std::string bytes;
    char kind;  // 'e' entry, 'c' continuation, 's' skipped
    int entries_returned;
    bool operator==(const Told&) const = default;
  };
  struct Log {
    std::vector<Told> told;
    int returned = 0;
  } log;
  LineObserver observer{
      [](void* context, int64_t number, std::string_view bytes, LineKind kind) {
        auto* log = static_cast<Log*>(context);
        char k = kind == LineKind::Entry ? 'e' : kind == LineKind::Continuation ? 'c' : 's';
        log->told.push_back({number, std::string(bytes), k, log->returned});
      },
      &log};
  std::string one = entry_line("ONE.ZIP", "1", "01-15-95", "one");
  std::string two = entry_line("TWO.ZIP", "2", "01-15-95", "two");
  std::string bar = continuation_line("more");
  // CR LF, a lone CR, LF CR (an empty line), and a last entry line.
  std::string bytes = "Head\r\n" + one + "\r" + bar + "\n\r" + bar + "\r\n" + two + "\r\n" + one +
                      "\r\n" + bar + "\r\n" + two;
  std::vector<Told> want{{1, "Head", 's', 0}, {2, one, 'e', 0}, {3, bar, 'c', 0},
                         {4, "", 's', 1},     {5, bar, 's', 1}, {6, two, 'e', 1},
                         {7, one, 'e', 2},    {8, bar, 'c', 2}, {9, two, 'e', 3}};
  for (ssize_t size : kReadSizes) {
    log = Log{};
    Listing& l = open(bytes, size);
    l.observer = &observer;
    while (next_entry(l) != nullptr) ++log.returned;
    EXPECT_EQ(log.returned, 4);
    EXPECT_TRUE(log.told == want) << "read size " << size;
  }
}

TEST_F(Scan, StandardInputThroughTheEmptyPath) {
  std::string bytes = crlf({"Header", entry_line("ONE.ZIP", "1", "01-15-95", "one"),
                            continuation_line("two"), entry_line("TWO.ZIP", "2", "01-15-95", "")});
  test::Outcome run = test::run_in_child(
      [] {
        static Listing l;
        open_listing(l, "");
        std::string out;
        while (const Entry* e = next_entry(l))
          out += std::string(e->file_name.view()) + ":" + std::to_string(e->desc_count) + "\n";
        close_listing(l);
        // Closing the listing leaves standard input itself open.
        bool stdin_open = fcntl(0, F_GETFD) != -1;
        if (write(1, out.data(), out.size()) != ssize_t(out.size())) _exit(3);
        _exit(pending_error == 0 && stdin_open ? 0 : 1);
      },
      bytes);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, "ONE.ZIP:2\nTWO.ZIP:1\n");
}

// ---------------------------------------------------------------- columns

class Columns : public ReaderTest {};

TEST_F(Columns, FieldsOfAFileEntryLine) {
  std::string short_line = entry_line("T.ZIP", "1", "01-15-95", "");
  struct Case {
    const char* what;
    std::string line;
    Got want;
  } cases[] = {
      {"usual layout",
       entry_line("DEMO.ZIP", "202574", "02-01-93", "Demo archive"),
       {"DEMO.ZIP", 202574, 0x1A410000, {"Demo archive"}}},
      {"no space anywhere: empty name, other fields kept",
       "NOSPACE.ZIP_000001234__01-15-95__text_without_spaces",
       {"", 1234, 0x1E2F0000, {"text_without_spaces"}}},
      {"leading space: empty name",
       entry_line(" LEAD.ZIP", "5", "01-15-95", "x"),
       {"", 5, 0x1E2F0000, {"x"}}},
      {"a tab is no separator",
       entry_line("A\tB.ZIP", "5", "01-15-95", "x"),
       {"A\tB.ZIP", 5, 0x1E2F0000, {"x"}}},
      {"12-character name runs into the size",
       entry_line("ABCDEFGHIJKL", "123456789", "01-15-95", "x"),
       {"ABCDEFGHIJKL123456789", 123456789, 0x1E2F0000, {"x"}}},
      {"name up to the first space, however far",
       std::string(25, 'N') + "-AB-" + std::string(100, 'M') + " rest",
       {std::string(25, 'N') + "-AB-" + std::string(100, 'M'),
        0,
        0x28000000,
        {std::string(50, 'M')}}},
      {"size left-aligned is invalid",
       entry_line("S.ZIP", "123      ", "01-15-95", ""),
       {"S.ZIP", 0, 0x1E2F0000, {""}}},
      {"size with a comma",
       entry_line("S.ZIP", "1,024", "01-15-95", ""),
       {"S.ZIP", 0, 0x1E2F0000, {""}}},
      {"negative size", entry_line("S.ZIP", "-5", "01-15-95", ""), {"S.ZIP", -5, 0x1E2F0000, {""}}},
      {"hex size", entry_line("S.ZIP", "$FF", "01-15-95", ""), {"S.ZIP", 255, 0x1E2F0000, {""}}},
      {"binary size", entry_line("S.ZIP", "%101", "01-15-95", ""), {"S.ZIP", 5, 0x1E2F0000, {""}}},
      {"empty size", entry_line("S.ZIP", "", "01-15-95", ""), {"S.ZIP", 0, 0x1E2F0000, {""}}},
      {"columns 22, 23, 32 and 33 are not read",
       "COLS.ZIP    " + std::string("       42") + "XY01-15-95XYtext",
       {"COLS.ZIP", 42, 0x1E2F0000, {"text"}}},
      {"text: first 50 characters, blanks kept",
       entry_line("T.ZIP", "1", "01-15-95", "  " + std::string(47, 't') + " cut here"),
       {"T.ZIP", 1, 0x1E2F0000, {"  " + std::string(47, 't') + " "}}},
      {"text of one character (a 34-character line)",
       entry_line("T.ZIP", "1", "01-15-95", "z"),
       {"T.ZIP", 1, 0x1E2F0000, {"z"}}},
      {"a 33-character line has an empty description line",
       entry_line("T.ZIP", "1", "01-15-95", ""),
       {"T.ZIP", 1, 0x1E2F0000, {""}}},
      {"a line ending after the date", short_line.substr(0, 31), {"T.ZIP", 1, 0x1E2F0000, {""}}},
      {"a line ending inside the year", short_line.substr(0, 30), {"T.ZIP", 1, 0x3A2F0000, {""}}},
      {"a line ending after the second dash",
       short_line.substr(0, 29),
       {"T.ZIP", 1, 0x282F0000, {""}}},
      {"odd bytes stay in the name and text",
       std::string("\x80\xff\x1a", 3) + std::string(9, ' ') + "        1  01-15-95  " +
           std::string("\0\x1a\xfe", 3),
       {std::string("\x80\xff\x1a", 3), 1, 0x1E2F0000, {std::string("\0\x1a\xfe", 3)}}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(entries(c.line + "\r\n"), std::vector<Got>{c.want}) << c.what;
}

// ---------------------------------------------------------------- memory

static_assert(std::is_trivially_copyable_v<Listing>,
              "the reader's state owns no heap memory: it is one fixed-size object");

TEST_F(ReaderTest, AllocatesNothingWhileReading) {
  std::string separator = crlf({"", std::string(400, '=')});
  std::string bytes = crlf({"Header", ""});
  for (int i = 0; i < 5000; ++i) {
    std::string name = std::to_string(i);
    name.insert(0, 1, 'F').append(".ZIP");
    bytes += crlf({entry_line(name, std::to_string(i), "01-15-95", "one"), continuation_line("two"),
                   continuation_line("three")});
    if (i % 50 == 0) bytes += separator;
  }
  Listing& l = open(bytes);
  size_t before = test::allocations_made();
  int count = 0;
  while (next_entry(l) != nullptr) ++count;
  EXPECT_EQ(test::allocations_made(), before);
  EXPECT_EQ(count, 5000);
}

}  // namespace
}  // namespace tolv
