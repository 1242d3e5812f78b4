// normalize_listing over short listings of every layout it knows: the layout
// chosen, the exact PCBoard lines written, the findings, and the rule that
// every line read is counted once.
#include "normalize/normalize.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <utime.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "normalize/line_fields.h"
#include "support/archives.h"
#include "support/child.h"
#include "support/listing_text.h"

namespace tolv {
namespace {

struct Normalized {
  NormalizeResult result;
  std::string output;
  std::vector<std::string> findings;  // "LINE kind"
};

Normalized normalize(const std::string& text, NormalizeOptions options = {}) {
  Normalized run;
  ListingSource source;
  text_listing_source(source, text);
  NormalSink sink{[&](std::string_view lines) { run.output += lines; },
                  [&](const NormalFinding& f) {
                    run.findings.push_back(std::to_string(f.line) + " " + normal_kind_name(f.kind));
                  }};
  run.result = normalize_listing(source, options, sink);
  const NormalCounts& c = run.result.counts;
  // Every line is counted once, and with --orphans every orphan too.
  EXPECT_EQ(c.lines + (options.orphans ? c.orphans : 0),
            c.entries + c.not_carried + c.continuations + c.dropped + c.skipped)
      << text;
  return run;
}

using Findings = std::vector<std::string>;

TEST(Normalize, EachLayoutGivesExactPcboardLines) {
  const std::string rest = "ZAP.COM           128  12-31-99  Zaps a file\r\n";
  const std::string two_lines =
      "BDSPATCH.LBR     5248  06-07-93  Patch for the compiler\r\n"
      "                               | second pass.\r\n";
  // An entry line in tolvconv's columns, its line end as a listing has it
  // (LF) or as normalize writes it (CR LF).
  auto in = [](const char* name, const char* size, const char* text) {
    return test::entry_line(name, size, "01-02-93", text) + "\n";
  };
  auto out = [](const char* name, const char* size, const char* text) {
    return test::entry_line(name, size, "01-02-93", text) + "\r\n";
  };
  struct Case {
    const char* what;
    std::string in, layout, out;
    Findings findings = {};
  } cases[] = {
      {"clean with header and rule: its lines kept as they are",
       "Some Board\npath: C:\\FILES\n----------\nName  Size  Date  Description\n"
       "====  ====  ====  ===========\n"
       "BDSPATCH.LBR     5248  06-07-93  Patch for the compiler's second pass, with\n"
       "                               | a note on the bug it fixes.\n"
       "ZAP.COM           128  12-31-99  Zaps a file\n",
       "pcboard",
       "BDSPATCH.LBR     5248  06-07-93  Patch for the compiler's second pass, with\r\n"
       "                               | a note on the bug it fixes.\r\n" +
           rest,
       Findings{"1 dropped", "2 dropped"}},
      {"bar at column 33",
       "BDSPATCH.LBR     5248  06-07-93 |Patch for the compiler\n"
       "                                |second pass.\n"
       "ZAP.COM           128  12-31-99 |Zaps a file\n",
       "pcboard", two_lines + rest},
      {"no bar, text indented to column 34",
       "BDSPATCH.LBR     5248  06-07-93  Patch for the compiler\n"
       "                                 second pass.\n"
       "ZAP.COM           128  12-31-99  Zaps a file\n",
       "rbbs", two_lines + rest},
      {"one column left",
       "BDSPATCH.LBR    5248 06-07-93 Patch for the compiler\n"
       "                              | second pass.\n"
       "ZAP.COM          128 12-31-99 Zaps a file\n",
       "pcboard", two_lines + rest},
      {"one column right",
       " BDSPATCH.LBR     5248  06-07-93  Patch for the compiler\n"
       "                                | second pass.\n"
       " ZAP.COM           128  12-31-99  Zaps a file\n",
       "pcboard", two_lines + rest},
      {"slash dates, one-digit month",
       "BDSPATCH.LBR     5248  06/07/93  Patch\nOLD.ARC          77   5-10-85  Old\n"
       "ZAP.COM           128  12/31/99  Zaps a file\n",
       "pcboard",
       "BDSPATCH.LBR     5248  06-07-93  Patch\r\nOLD.ARC            77  05-10-85  Old\r\n" + rest},
      {"spitfire: one long line, wrapped; a large size runs on from a 12-character name",
       "ZTERMCAP.LBR    4,096  06-07-93  A terminal description for the 128 with line "
       "graphics. Programs that use it draw boxes with the graphics characters.\n"
       "BIG.ZIP     1,234,567  01-02-94  Big one\n"
       "NAME1234.ZIP1,453,364  01-02-94  Runs on\n",
       "spitfire",
       "ZTERMCAP.LBR     4096  06-07-93  A terminal description for the 128 with line\r\n"
       "                               | graphics. Programs that use it draw boxes\r\n"
       "                               | with the graphics characters.\r\n"
       "BIG.ZIP       1234567  01-02-94  Big one\r\n"
       "NAME1234.ZIP  1453364  01-02-94  Runs on\r\n"},
      {"rbbs: text reflowed past 50 columns, joined and wrapped",
       "ZTERMCAP.LBR     4096  06-07-93  A terminal description for the 128 with\n"
       "  line graphics. Programs that use it draw boxes with the graphics characters and\n"
       "  print underline.\nZAP.COM           128  12-31-99  Zaps a file\n",
       "rbbs",
       "ZTERMCAP.LBR     4096  06-07-93  A terminal description for the 128 with line\r\n"
       "                               | graphics. Programs that use it draw boxes\r\n"
       "                               | with the graphics characters and print\r\n"
       "                               | underline.\r\n" +
           rest},
      {"files.bbs: no size without a directory",
       " Area one: utilities\nZTERMCAP.LBR  A terminal description\n"
       "NOTES.TXT     [17] Read this first\n >  before you ask on the echo.\n |  And again.\n",
       "files-bbs", "", Findings{"1 dropped", "2 not-carried", "3 not-carried"}},
      {"files.bbs, index columns begin every description: text, not a size and a date",
       "BDSPATCH.LBR  B  5248  930607  Patch\nZAP.COM  C  128  991231  Zaps a file\n", "files-bbs",
       "", Findings{"1 not-carried", "2 not-carried"}},
      {"files.bbs of names without an extension",
       "README    Read this first\nPART01    The first part\nINFO1.    Notes\n", "files-bbs", "",
       Findings{"1 not-carried", "2 not-carried", "3 not-carried"}},
      {"descript.ion: quoted long name, Ctrl-D",
       "ZAP.COM Zaps a file\n\"Long File Name.txt\" A long one\nNOTES.TXT Read\x04\x1a\x01x\n",
       "descript-ion", "", Findings{"1 not-carried", "2 not-carried", "3 not-carried"}},
      {"generator: counters and new marks are its columns",
       "SCRAPS.ARJ       7571 19-Jul-91  [03] A collection of recipes\n"
       "FONTED.ZIP     198265 02-Sep-92* [02] Font editor for EGA/VGA\n"
       "                                      with sample fonts.\n",
       "generator",
       "SCRAPS.ARJ       7571  07-19-91  A collection of recipes\r\n"
       "FONTED.ZIP     198265  09-02-92  Font editor for EGA/VGA\r\n"
       "                               | with sample fonts.\r\n"},
      {"catalog: banner, page header, totals, a prompt glued to an entry, a stray line",
       "=====[ Dir 2 Utilities ]=====\nNAME  SIZE  DATE  DESCRIPTION\n"
       "BDSPATCH.LBR     5248  06-07-93  Patch\n  ----- for the second pass -----\n"
       "All Files on Some Board                          Page 3\n"
       "                               | and its note.\n"
       "More (Y/n)? yOLD.ARC            77  05-10-85  Old\nTotal files: 2\n"
       "-----------\nArea Three\nA stray line\n" +
           rest,
       "pcboard",
       "BDSPATCH.LBR     5248  06-07-93  Patch\r\n"
       "                               | ----- for the second pass -----\r\n"
       "                               | and its note.\r\n"
       "OLD.ARC            77  05-10-85  Old\r\n" +
           rest,
       Findings{"1 dropped", "8 dropped", "10 dropped", "11 dropped"}},
      {"printed catalog: a page header and a title under a rule after an entry",
       "BDSPATCH.LBR     5248  06-07-93  Patch\n"
       "  for the compiler\n"
       "                         Page - 2\n"
       "  Some Board: all files\n"
       "  ----------------------\n"
       "  Utilities\n" +
           rest,
       "rbbs",
       "BDSPATCH.LBR     5248  06-07-93  Patch\r\n"
       "                               | for the compiler\r\n" +
           rest,
       Findings{"4 dropped", "6 dropped"}},
      {"year first",
       "SCRAPS.ARJ       7571  91-07-19  Recipes\nFONTED.ZIP     198265  92-09-02  Fonts\n",
       "generator",
       "SCRAPS.ARJ       7571  07-19-91  Recipes\r\nFONTED.ZIP     198265  09-02-92  Fonts\r\n"},
      {"wildcat: the text below, kept as its lines",
       " ZTERMCAP.LBR        4,096  06-07-93    00:00:00\n"
       "         A terminal description for the 128\n         with line graphics.\n\n"
       " ZAP.COM               128  12-31-99    13:01:02\n         Zaps a file\n",
       "wildcat",
       "ZTERMCAP.LBR     4096  06-07-93  A terminal description for the 128\r\n"
       "                               | with line graphics.\r\n" +
           rest},
      {"labelled: Size, Date and D/L, the text indented below",
       "ZTERMCAP.LBR  Size: 4096  Date: 06/07/93  D/L: 12\n"
       "    A terminal description\n\n"
       "ZAP.COM  Size: 128  Date: 12/31/99  D/L: 0\n    Zaps a file\n",
       "labelled", "ZTERMCAP.LBR     4096  06-07-93  A terminal description\r\n" + rest},
      {"a separator after every date",
       "ZTERMCAP.LBR   4096  06-07-93 - A terminal description\n"
       "ZAP.COM         128  12-31-99 - Zaps a file\n",
       "pcboard", "ZTERMCAP.LBR     4096  06-07-93  A terminal description\r\n" + rest},
      {"opus",
       "ZTERMCAP.LBR  7 Jun 93  4096  A terminal description\n"
       "ZAP.COM  31 Dec 99  128  Zaps a file\n",
       "opus", "ZTERMCAP.LBR     4096  06-07-93  A terminal description\r\n" + rest},
      {"bytes",
       "ZTERMCAP.LBR  06/07/1993 01:02 PM  4096 Bytes  A terminal description\n"
       "ZAP.COM  12/31/1999 11:00 AM  128 Bytes  Zaps a file\n"
       "OLD.COM  12/31/1979 11:00 AM  128 Bytes  Too old\n",
       "bytes", "ZTERMCAP.LBR     4096  06-07-93  A terminal description\r\n" + rest,
       Findings{"3 not-carried"}},
      {"bytes, the text below: a rule and a bullet in it are its text",
       "ALARM.ZIP  12/15/2010 06:36 PM  53363 Bytes\n"
       "                                 Alarm v1.02\n"
       "                                 -------------\n"
       "                                 + DOS alarm clock\n"
       "BEEP.ZIP  12/16/2010 08:17 PM  1208 Bytes\n"
       "                                 MAKE A BEEP\n",
       "bytes",
       "ALARM.ZIP       53363  12-15-10  Alarm v1.02\r\n"
       "                               | -------------\r\n"
       "                               | + DOS alarm clock\r\n"
       "BEEP.ZIP         1208  12-16-10  MAKE A BEEP\r\n"},
      {"k sizes", "ZTERMCAP.LBR   4k  A terminal\nZAP.COM   1k  Zaps a file\n", "k-sizes", "",
       Findings{"1 not-carried", "2 not-carried"}},
      {"a size of 23 digits", "HUGE.ZIP  28888888888888888888888  02-01-93  Huge\n" + rest,
       "pcboard", rest, Findings{"1 not-carried"}},
      {"colour codes removed, also those a removal brings together",
       "COLOUR.ZIP       100  01-02-93  @X0FBright@X07 te@X@X0F0Fxt\n" + rest, "pcboard",
       "COLOUR.ZIP        100  01-02-93  Bright text\r\n" + rest},
      {"impossible date, long name, unsafe names",
       "BAD.ZIP          100  13-45-93  Impossible\n" + rest +
           "THIRTEENCH.ZIP   100  01-02-93  Long name\n"
           "A/B.ZIP          100  01-02-93  Slash\n"
           "A..B.ZIP         100  01-02-93  Dots\n"
           "../ETC.ZIP       100  01-02-93  Up\n",
       "pcboard", rest,
       Findings{"1 not-carried", "3 not-carried", "4 not-carried", "5 not-carried",
                "6 not-carried"}},
      {"descriptions that begin with a date, a bracketed number or index columns keep them",
       in("A.ZIP", "1", "12 Jan 94 release") + in("B.ZIP", "2", "[0] downloads") +
           in("C.ZIP", "3", "B 3 930102 index") + in("D.ZIP", "4", "01/02/93 | dated") + rest,
       "pcboard",
       out("A.ZIP", "1", "12 Jan 94 release") + out("B.ZIP", "2", "[0] downloads") +
           out("C.ZIP", "3", "B 3 930102 index") + out("D.ZIP", "4", "01/02/93 | dated") + rest},
      {"entry lines that look like furniture stay entries",
       in("PROMPT.ZIP", "1", "Answers (Y/N) questions") + in("PAGER.ZIP", "2", "See page 3") +
           in("TOTAL", "3", "Totals up") + in("---FIX.ZIP", "4", "Fixes") + rest,
       "pcboard",
       out("PROMPT.ZIP", "1", "Answers (Y/N) questions") + out("PAGER.ZIP", "2", "See page 3") +
           out("TOTAL", "3", "Totals up") + out("---FIX.ZIP", "4", "Fixes") + rest},
      {"a name with a control byte is reported", in("BEL\x07.ZIP", "1", "Rings") + rest, "pcboard",
       rest, Findings{"1 not-carried"}},
      {"byte-order marks before a line, two where files were joined",
       "\xEF\xBB\xBF\xEF\xBB\xBF" + in("ELEVEN.CHAR", "1", "Eleven") + rest, "pcboard",
       out("ELEVEN.CHAR", "1", "Eleven") + rest},
      {"an empty area: titles, a rule, column titles",
       "Some Board\nUploads\n-------------------\nName  Size  Date  Description\n", "empty", "",
       Findings{"1 dropped", "2 dropped", "0 empty-area"}},
  };
  for (const Case& c : cases) {
    Normalized run = normalize(c.in);
    EXPECT_EQ(run.result.error, "") << c.what;
    EXPECT_EQ(run.result.counts.layout, c.layout) << c.what;
    EXPECT_EQ(run.output, c.out) << c.what;
    EXPECT_EQ(run.findings, c.findings) << c.what;
    // A dropped line is no entry: it leaves the status at 0.
    bool inexact = std::any_of(c.findings.begin(), c.findings.end(), [](const std::string& f) {
      return f.find(" dropped") == std::string::npos && f.find(" empty-area") == std::string::npos;
    });
    EXPECT_EQ(normalize_status(run.result), inexact ? 1 : 0) << c.what;
  }
}

TEST(Normalize, ColoursKeptOnRequest) {
  NormalizeOptions keep;
  keep.keep_colours = true;
  Normalized run = normalize("COLOUR.ZIP       100  01-02-93  @X0FBright@X07 text\n", keep);
  EXPECT_EQ(run.output, "COLOUR.ZIP        100  01-02-93  @X0FBright@X07 text\r\n");
}

TEST(Normalize, ATieOrWeakSupportIsRefusedNamingTheCandidates) {
  struct Case {
    std::string in, message;
  } cases[] = {
      {"ONE.ZIP          100  01-02-93  one\nTWO.ZIP          200  01-02-93  two\n"
       "THREE.TXT  text\nFOUR.TXT  text\n",
       "two layouts fit about as well: pcboard (2 lines) and files-bbs (2 lines); name one "
       "with --layout"},
      {"ONE.ZIP          100  01-02-93  one\nsome words\nmore words\nand more\nyet more\n",
       "no layout recognised: only pcboard (1 line) of 5 lines of text read as file entries; "
       "name one with --layout"},
  };
  for (const Case& c : cases) {
    Normalized run = normalize(c.in);
    EXPECT_TRUE(run.result.refused);
    EXPECT_EQ(run.result.error, c.message);
    EXPECT_EQ(normalize_status(run.result), 2);
    EXPECT_EQ(run.output, "");
  }
  // Named, the layout is taken and what does not fit it is reported.
  NormalizeOptions forced;
  forced.layout = find_layout("pcboard");
  Normalized run = normalize(cases[0].in, forced);
  EXPECT_FALSE(run.result.refused);
  EXPECT_EQ(run.result.counts.entries, 2);
  EXPECT_EQ(run.findings, (Findings{"3 not-carried", "4 not-carried"}));
}

// The edges: of the year window, of the share of entry lines a field must
// have to be a column, of the lines an empty area may hold, and of --width.
TEST(Normalize, TheEdgesOfTheYearWindowTheSharesAndTheWidth) {
  struct Year {
    const char* date;
    unsigned year;  // 0: no date a listing can hold
  } years[] = {{"12-31-79", 2079},   {"01-01-80", 1980}, {"12/31/1979", 0},  {"01/01/1980", 1980},
               {"12/31/2079", 2079}, {"01/01/2080", 0},  {"02-29-00", 2000}, {"02-29-01", 0},
               {"02-29-80", 1980},   {"02-30-80", 0}};
  for (const Year& y : years) {
    DateField date;
    size_t at = 0;
    unsigned year = 0, month, day;
    ASSERT_TRUE(read_date(y.date, at, date)) << y.date;
    EXPECT_EQ(resolve_date(date, DateOrder::MonthFirst, year, month, day), y.year != 0) << y.date;
    if (y.year != 0) {
      EXPECT_EQ(year, y.year) << y.date;
    }
  }

  // A counter is a column where at least three entry lines in four, and two
  // or more, have it; otherwise it is text.
  auto kept_counter = [](int with, int without) {
    std::string in;
    for (int i = 0; i < with + without; ++i) {
      std::string name(1, static_cast<char>('A' + i));
      in += test::entry_line(name.append(".ZIP"), "1", "01-02-93", "") + (i < with ? "[3] " : "") +
            "Text\n";
    }
    // In a generator's columns (not tolvconv's), with a month name.
    std::string generator = std::regex_replace(in, std::regex("01-02-93  "), "02-Jan-93 ");
    std::string out = normalize(generator).output;
    return out.find("[3]") != std::string::npos;
  };
  EXPECT_FALSE(kept_counter(3, 1));  // 3 of 4: a column
  EXPECT_TRUE(kept_counter(2, 2));   // 2 of 4: text
  EXPECT_TRUE(kept_counter(1, 0));   // 1 of 1: too few to tell
  EXPECT_FALSE(kept_counter(2, 0));  // 2 of 2

  // An area of furniture and five lines of titles is empty; six are text
  // that reads as no listing.
  std::string titles = "Name  Size  Date  Description\n-----------------\n";
  for (int i = 0; i < 5; ++i) titles += "A title line\n";
  EXPECT_EQ(normalize(titles).result.counts.layout, "empty");
  EXPECT_TRUE(normalize(titles + "One more\n").result.refused);

  // --width from 10 to 50: joined text is wrapped at it, every line within.
  std::string spitfire;
  for (const char* name : {"S1.ZIP", "S2.ZIP", "S3.ZIP"})
    spitfire += test::entry_line(name, "1,234", "01-02-93",
                                 "a long description of many words, some of them "
                                 "longer, all of them joined on one line of text") +
                "\n";
  for (size_t width : {kMinWidth, kMaxWidth}) {
    NormalizeOptions o;
    o.width = width;
    std::string out = normalize(spitfire, o).output;
    size_t longest = 0;  // of the text from column 34
    for (size_t at = 0; at < out.size(); at = out.find('\n', at) + 1)
      longest = std::max(longest, out.find('\r', at) - at - 33);
    EXPECT_LE(longest, width);
    EXPECT_GE(longest, width - 8) << "width " << width;
  }
}

// The files at hand: ztermcap.lbr (4096 bytes), Notes.Txt (3), NOEXT (2) and
// ORPHAN.DAT (1), all modified at local noon on 3 February 2001.
struct Disk {
  test::TempDir dir;
  FileDirectory files;
  Disk() {
    struct tm noon {};
    noon.tm_year = 101, noon.tm_mon = 1, noon.tm_mday = 3, noon.tm_hour = 12, noon.tm_isdst = -1;
    struct utimbuf times = {mktime(&noon), mktime(&noon)};
    for (auto [name, bytes] : {std::pair{"ztermcap.lbr", std::string(4096, 'x')},
                               {"Notes.Txt", "abc"},
                               {"NOEXT", "nm"},
                               {"ORPHAN.DAT", "o"}}) {
      test::write_file(dir / name, bytes);
      utime((dir / name).c_str(), &times);
    }
    std::string error;
    EXPECT_TRUE(read_file_directory(dir.path, files, error)) << error;
  }
};

TEST(Normalize, TheDirectoryGivesSizesDatesAndSpellings) {
  struct Case {
    const char* what;
    std::string in, out;
    Findings findings;
    int status;
  } cases[] = {
      {"files.bbs takes the disk's size, date and spelling",
       "ZTERMCAP.LBR  A terminal description\nNOTES.TXT     [17] Read this first\n"
       " >  before you ask.\n",
       "ztermcap.lbr     4096  02-03-01  A terminal description\r\n"
       "Notes.Txt           3  02-03-01  [17] Read this first\r\n"
       "                               | before you ask.\r\n",
       Findings{"0 orphan", "0 orphan"}, 0},
      {"the directory says which first words are names",
       "noext    The file without an extension\norther words here\nORPHAN.DAT  The orphan\n",
       "NOEXT               2  02-03-01  The file without an extension\r\n"
       "ORPHAN.DAT          1  02-03-01  The orphan\r\n",
       Findings{"2 not-carried", "0 orphan", "0 orphan"}, 1},
      {"listed values against the disk's",
       "ZTERMCAP.LBR     4000  06-07-93  Term\nGONE.ZIP          100  01-02-93  Not there\n"
       "NOEXT.              2  02-03-01  Bare dot\nNOTES.TXT           3  02-03-01  Notes\n",
       "ztermcap.lbr     4096  06-07-93  Term\r\nGONE.ZIP          100  01-02-93  Not there\r\n"
       "NOEXT               2  02-03-01  Bare dot\r\nNotes.Txt           3  02-03-01  Notes\r\n",
       Findings{"1 size-differs", "1 date-differs", "2 missing", "0 orphan"}, 1},
      // Copies lose their dates: a date that differs alone is a note.
      {"only a listed date that is not the file's", "NOTES.TXT           3  01-02-99  Notes\n",
       "Notes.Txt           3  01-02-99  Notes\r\n",
       Findings{"1 date-differs", "0 orphan", "0 orphan", "0 orphan"}, 0},
      {"descript.ion: a Ctrl-D ends the text",
       "ztermcap.lbr Terminal\x04\x01junk here\nNOTES.TXT Read me\n",
       "ztermcap.lbr     4096  02-03-01  Terminal\r\nNotes.Txt           3  02-03-01  Read me\r\n",
       Findings{"0 orphan", "0 orphan"}, 0},
      {"a missing file without a size is not carried", "GONE.ZIP  Not there\nNOTES.TXT  Notes\n",
       "Notes.Txt           3  02-03-01  Notes\r\n",
       Findings{"1 not-carried", "0 orphan", "0 orphan", "0 orphan"}, 1},
  };
  for (const Case& c : cases) {
    Disk disk;
    NormalizeOptions options;
    options.directory = &disk.files;
    Normalized run = normalize(c.in, options);
    EXPECT_EQ(run.output, c.out) << c.what;
    EXPECT_EQ(run.findings, c.findings) << c.what;
    EXPECT_EQ(normalize_status(run.result), c.status) << c.what;
  }
}

// Standard input is spooled into a file, not memory: its lines read twice,
// and an input past the limit is refused at once.
TEST(Normalize, StandardInputIsSpooledUpToALimit) {
  test::TempDir dir;
  std::string text = "ONE.ZIP  first\r\nTWO.ZIP  second\n";
  test::write_file(dir / "in.lst", text);
  int saved = dup(0);
  for (int64_t limit : {int64_t{1000}, int64_t{10}}) {
    int fd = open((dir / "in.lst").c_str(), O_RDONLY);
    dup2(fd, 0);
    close(fd);
    ListingSource source;
    bool opened = open_listing_source(source, "-", limit);
    std::vector<std::string> lines;
    std::string line;
    bool cut = false;
    for (int pass = 0; opened && pass < 2; ++pass, rewind_listing_source(source))
      while (next_source_line(source, line, cut)) lines.push_back(line);
    close_listing_source(source);
    if (limit == 10) {
      EXPECT_FALSE(opened);
      EXPECT_NE(source.error.find("more than 10 bytes"), std::string::npos) << source.error;
    } else {
      EXPECT_TRUE(opened) << source.error;
      EXPECT_EQ(lines, (std::vector<std::string>{"ONE.ZIP  first", "TWO.ZIP  second",
                                                 "ONE.ZIP  first", "TWO.ZIP  second"}));
    }
  }
  dup2(saved, 0);
  close(saved);
}

// An area of archives beside its listing, FILES.BBS: LISTED.ZIP and
// EMPTY.ZIP, which it names, A.ZIP, B.TXT (text), a name with a blank, one
// of 13 characters and one with a control byte, which it does not.
struct Area {
  test::TempDir dir;
  FileDirectory files;
  std::string diz_zip = test::archive_bytes(
      test::ArchiveFormat::Zip, {{"FILE_ID.DIZ", "Zaps a file\r\n  and its copies\r\n"}});
  std::string sizes = std::to_string(diz_zip.size());
  Area() {
    struct tm noon {};
    noon.tm_year = 101, noon.tm_mon = 1, noon.tm_mday = 3, noon.tm_hour = 12, noon.tm_isdst = -1;
    struct utimbuf times = {mktime(&noon), mktime(&noon)};
    for (const char* name :
         {"LISTED.ZIP", "EMPTY.ZIP", "A.ZIP", "Long Name.zip", "THIRTEENC.ZIP", "BAD\x01.ZIP"}) {
      test::write_file(dir / name, diz_zip);
      utime((dir / name).c_str(), &times);
    }
    test::write_file(dir / "B.TXT", "text\r\n");
    utime((dir / "B.TXT").c_str(), &times);
    test::write_file(dir / "FILES.BBS", "LISTED.ZIP  Listed text\r\nEMPTY.ZIP\r\n");
    struct stat listing {};
    stat((dir / "FILES.BBS").c_str(), &listing);
    FileIdentity own{listing.st_dev, listing.st_ino};
    std::string error;
    EXPECT_TRUE(read_file_directory(dir.path, files, error, std::span(&own, 1))) << error;
  }
  std::string entry(const std::string& name, int64_t size, const std::string& text) {
    std::string size_text = std::to_string(size);
    return name + std::string(21 - name.size() - size_text.size(), ' ') + size_text + "  02-03-01" +
           (text.empty() ? "" : "  " + text) + "\r\n";
  }
};

TEST(Normalize, DescribeFillsEmptyEntriesAndOrphansFollowInNameOrder) {
  Area area;
  const std::string diz = "Zaps a file\r\n                               |   and its copies";
  int64_t zip = static_cast<int64_t>(area.diz_zip.size());
  struct Case {
    const char* what;
    bool describe, orphans;
    std::string out;
    Findings findings;
    int64_t described, written;
  } cases[] = {
      {"neither: orphans reported", false, false,
       area.entry("LISTED.ZIP", zip, "Listed text") + area.entry("EMPTY.ZIP", zip, ""),
       Findings{"0 orphan", "0 orphan", "0 orphan", "0 orphan", "0 orphan"}, 0, 0},
      {"--describe: the entry without text gets its archive's", true, false,
       area.entry("LISTED.ZIP", zip, "Listed text") + area.entry("EMPTY.ZIP", zip, diz),
       Findings{"0 orphan", "0 orphan", "0 orphan", "0 orphan", "0 orphan"}, 1, 0},
      {"--describe --orphans", true, true,
       area.entry("LISTED.ZIP", zip, "Listed text") + area.entry("EMPTY.ZIP", zip, diz) +
           area.entry("A.ZIP", zip, diz) + area.entry("B.TXT", 6, ""),
       Findings{"0 orphan", "0 orphan", "0 orphan", "0 not-archive", "0 orphan", "0 not-carried",
                "0 orphan", "0 not-carried", "0 orphan", "0 not-carried"},
       2, 2},
      {"--orphans", false, true,
       area.entry("LISTED.ZIP", zip, "Listed text") + area.entry("EMPTY.ZIP", zip, "") +
           area.entry("A.ZIP", zip, "") + area.entry("B.TXT", 6, ""),
       Findings{"0 orphan", "0 orphan", "0 orphan", "0 orphan", "0 not-carried", "0 orphan",
                "0 not-carried", "0 orphan", "0 not-carried"},
       0, 2},
  };
  for (const Case& c : cases) {
    Area fresh;
    NormalizeOptions options;
    options.directory = &fresh.files;
    options.describe = c.describe;
    options.orphans = c.orphans;
    Normalized run = normalize(test::read_file(fresh.dir / "FILES.BBS"), options);
    EXPECT_EQ(run.output, c.out) << c.what;
    EXPECT_EQ(run.findings, c.findings) << c.what;
    const NormalCounts& n = run.result.counts;
    EXPECT_EQ(n.described, c.described) << c.what;
    EXPECT_EQ(n.orphans_written, c.written) << c.what;
    EXPECT_EQ(n.orphans, 5) << c.what;
    EXPECT_EQ(normalize_status(run.result), c.orphans ? 1 : 0) << c.what;
  }
}

}  // namespace
}  // namespace tolv
