// normalize_listing over short listings of every layout it knows: the layout
// chosen, the exact PCBoard lines written, the findings, and the rule that
// every line read is counted once.
#include "normalize/normalize.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <time.h>
#include <utime.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/child.h"

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
  EXPECT_EQ(c.lines, c.entries + c.not_carried + c.continuations + c.dropped) << text;
  return run;
}

using Findings = std::vector<std::string>;

TEST(Normalize, EachLayoutGivesExactPcboardLines) {
  const std::string rest = "ZAP.COM           128  12-31-99  Zaps a file\r\n";
  struct Case {
    const char* what;
    std::string in, layout, out;
    Findings findings = {};
  } cases[] = {
      {"clean with header and rule",
       "Some Board\npath: C:\\FILES\n----------\nName  Size  Date  Description\n"
       "====  ====  ====  ===========\n"
       "BDSPATCH.LBR     5248  06-07-93  Patch for the compiler's second pass, with\n"
       "                               | a note on the bug it fixes.\n"
       "ZAP.COM           128  12-31-99  Zaps a file\n",
       "pcboard",
       "BDSPATCH.LBR     5248  06-07-93  Patch for the compiler's second pass, with a\r\n"
       "                               | note on the bug it fixes.\r\n" +
           rest},
      {"bar at column 33",
       "BDSPATCH.LBR     5248  06-07-93 |Patch for the compiler\n"
       "                                |second pass.\n"
       "ZAP.COM           128  12-31-99 |Zaps a file\n",
       "pcboard",
       "BDSPATCH.LBR     5248  06-07-93  Patch for the compiler second pass.\r\n" + rest},
      {"no bar, text indented to column 34",
       "BDSPATCH.LBR     5248  06-07-93  Patch for the compiler\n"
       "                                 second pass.\n"
       "ZAP.COM           128  12-31-99  Zaps a file\n",
       "rbbs", "BDSPATCH.LBR     5248  06-07-93  Patch for the compiler second pass.\r\n" + rest},
      {"one column left",
       "BDSPATCH.LBR    5248 06-07-93 Patch for the compiler\n"
       "                              | second pass.\n"
       "ZAP.COM          128 12-31-99 Zaps a file\n",
       "pcboard",
       "BDSPATCH.LBR     5248  06-07-93  Patch for the compiler second pass.\r\n" + rest},
      {"one column right",
       " BDSPATCH.LBR     5248  06-07-93  Patch for the compiler\n"
       "                                | second pass.\n"
       " ZAP.COM           128  12-31-99  Zaps a file\n",
       "pcboard",
       "BDSPATCH.LBR     5248  06-07-93  Patch for the compiler second pass.\r\n" + rest},
      {"slash dates, one-digit month",
       "BDSPATCH.LBR     5248  06/07/93  Patch\nOLD.ARC          77   5-10-85  Old\n"
       "ZAP.COM           128  12/31/99  Zaps a file\n",
       "pcboard",
       "BDSPATCH.LBR     5248  06-07-93  Patch\r\nOLD.ARC            77  05-10-85  Old\r\n" + rest},
      {"spitfire",
       "ZTERMCAP.LBR    4,096  06-07-93  A terminal description for the 128 with line "
       "graphics. Programs that use it draw boxes with the graphics characters.\n"
       "BIG.ZIP     1,234,567  01-02-94  Big one\n",
       "spitfire",
       "ZTERMCAP.LBR     4096  06-07-93  A terminal description for the 128 with line\r\n"
       "                               | graphics. Programs that use it draw boxes\r\n"
       "                               | with the graphics characters.\r\n"
       "BIG.ZIP       1234567  01-02-94  Big one\r\n"},
      {"rbbs",
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
       "files-bbs", "", Findings{"2 not-carried", "3 not-carried"}},
      {"descript.ion: quoted long name, Ctrl-D",
       "ZAP.COM Zaps a file\n\"Long File Name.txt\" A long one\nNOTES.TXT Read\x04\x1a\x01x\n",
       "descript-ion", "", Findings{"1 not-carried", "2 not-carried", "3 not-carried"}},
      {"generator",
       "SCRAPS.ARJ       7571 19-Jul-91  [03] A collection of recipes\n"
       "FONTED.ZIP     198265 02-Sep-92* [02] Font editor for EGA/VGA\n"
       "                                      with sample fonts.\n",
       "generator",
       "SCRAPS.ARJ       7571  07-19-91  A collection of recipes\r\n"
       "FONTED.ZIP     198265  09-02-92  Font editor for EGA/VGA with sample fonts.\r\n"},
      {"catalog: banner, page header, totals, a prompt glued to an entry, a stray line",
       "=====[ Dir 2 Utilities ]=====\nNAME  SIZE  DATE  DESCRIPTION\n"
       "BDSPATCH.LBR     5248  06-07-93  Patch\n  ----- for the second pass -----\n"
       "All Files on Some Board                          Page 3\n"
       "                               | and its note.\n"
       "More (Y/n)? yOLD.ARC            77  05-10-85  Old\nTotal files: 2\n"
       "-----------\nArea Three\nA stray line\n" +
           rest,
       "pcboard",
       "BDSPATCH.LBR     5248  06-07-93  Patch ----- for the second pass ----- and its\r\n"
       "                               | note.\r\n"
       "OLD.ARC            77  05-10-85  Old\r\n" +
           rest,
       Findings{"11 dropped"}},
      {"index file: type letter, YYMMDD",
       "BDSPATCH.LBR  B  5248  930607  Patch\nZAP.COM  C  128  991231  Zaps a file\n", "pcboard",
       "BDSPATCH.LBR     5248  06-07-93  Patch\r\n" + rest},
      {"year first",
       "SCRAPS.ARJ       7571  91-07-19  Recipes\nFONTED.ZIP     198265  92-09-02  Fonts\n",
       "generator",
       "SCRAPS.ARJ       7571  07-19-91  Recipes\r\nFONTED.ZIP     198265  09-02-92  Fonts\r\n"},
      {"wildcat",
       " ZTERMCAP.LBR        4,096  06-07-93    00:00:00\n"
       "         A terminal description for the 128\n         with line graphics.\n\n"
       " ZAP.COM               128  12-31-99    13:01:02\n         Zaps a file\n",
       "wildcat",
       "ZTERMCAP.LBR     4096  06-07-93  A terminal description for the 128 with line\r\n"
       "                               | graphics.\r\n" +
           rest},
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
      {"k sizes", "ZTERMCAP.LBR   4k  A terminal\nZAP.COM   1k  Zaps a file\n", "k-sizes", "",
       Findings{"1 not-carried", "2 not-carried"}},
      {"a size of 23 digits", "HUGE.ZIP  28888888888888888888888  02-01-93  Huge\n" + rest,
       "pcboard", rest, Findings{"1 not-carried"}},
      {"colour codes removed", "COLOUR.ZIP       100  01-02-93  @X0FBright@X07 text\n" + rest,
       "pcboard", "COLOUR.ZIP        100  01-02-93  Bright text\r\n" + rest},
      {"impossible date, long name, unsafe names",
       "BAD.ZIP          100  13-45-93  Impossible\n" + rest +
           "THIRTEENCH.ZIP   100  01-02-93  Long name\n"
           "A/B.ZIP          100  01-02-93  Slash\n"
           "A..B.ZIP         100  01-02-93  Dots\n"
           "../ETC.ZIP       100  01-02-93  Up\n",
       "pcboard", rest,
       Findings{"1 not-carried", "3 not-carried", "4 not-carried", "5 not-carried",
                "6 not-carried"}},
  };
  for (const Case& c : cases) {
    Normalized run = normalize(c.in);
    EXPECT_EQ(run.result.error, "") << c.what;
    EXPECT_EQ(run.result.counts.layout, c.layout) << c.what;
    EXPECT_EQ(run.output, c.out) << c.what;
    EXPECT_EQ(run.findings, c.findings) << c.what;
    // A dropped line is no entry: it leaves the status at 0.
    bool inexact = std::any_of(c.findings.begin(), c.findings.end(), [](const std::string& f) {
      return f.find(" dropped") == std::string::npos;
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
      {"", "the listing is empty"},
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
       "Notes.Txt           3  02-03-01  Read this first before you ask.\r\n",
       Findings{"0 orphan", "0 orphan"}, 0},
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

}  // namespace
}  // namespace tolv
