// The description inside an archive: the kind told from a file's first
// bytes, the member's text as description lines, and describe_archive over
// archives made here with libarchive's writer, sound, hostile and failing
// in the middle of a read.
#include "normalize/archive_description.h"

#include <errno.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "normalize/archive_kind.h"
#include "normalize/member_text.h"
#include "support/archives.h"
#include "support/child.h"

namespace tolv {
namespace {

using test::ArchiveFormat;
using test::ArchiveMember;
using Lines = std::vector<std::string>;

TEST(ArchiveKind, TheFirstBytesTellTheKind) {
  std::string tar(512, '\0');
  tar.replace(257, 6, "ustar");
  std::string lbr(32, ' ');
  lbr[0] = '\0';
  std::string arc = std::string(
                        "\x1A\x08"
                        "FILE.TXT",
                        10) +
                    std::string(5, '\0');
  struct Case {
    std::string head;
    ArchiveKind kind;
  } cases[] = {
      {std::string("PK\x03\x04\x14\0", 6), ArchiveKind::Zip},
      {"7z\xBC\xAF\x27\x1C\0\x04", ArchiveKind::SevenZip},
      {std::string("Rar!\x1A\x07\x01\0", 8), ArchiveKind::Rar},
      {"\x24\x1A-lh5-\x10\x20", ArchiveKind::Lha},
      {std::string("MSCF\0\0\0\0", 8), ArchiveKind::Cab},
      {tar, ArchiveKind::Tar},
      {"\x60\xEA\x29\0", ArchiveKind::Arj},
      {arc, ArchiveKind::Arc},
      {std::string("ZOO 2.10 Archive.\x1A\0\0\xDC\xA7\xC4\xFD", 24), ArchiveKind::Zoo},
      {lbr, ArchiveKind::Lbr},
      {"\x76\xFF\x01", ArchiveKind::Squeezed},
      {"\x76\xFE\x01", ArchiveKind::Crunched},
      {std::string("\x31\x32\0\0\0\0\0**ACE**", 14), ArchiveKind::Ace},
      {"MZ\x90\0", ArchiveKind::Program},
      {"", ArchiveKind::Empty},
      {"A text renamed .ZIP\r\n\xC9\xCD\xBB\x1A", ArchiveKind::Text},
      {std::string("\x1A\x08\0", 3) + std::string(12, 'x'), ArchiveKind::Data},  // no ARC name
  };
  for (const Case& c : cases)
    EXPECT_EQ(static_cast<int>(archive_kind(c.head)), static_cast<int>(c.kind))
        << kind_words(c.kind);
}

TEST(MemberText, LinesStayLinesCleanedAndWrappedOnlyWhenTooLong) {
  const std::string long_line =
      "A line of more than fifty characters is wrapped at its words, never cut.";
  struct Case {
    const char* what;
    std::string bytes;
    Lines lines;
    bool cut = false;
  } cases[] = {
      {"line ends of every kind, a Ctrl-Z ends the text",
       "one\r\ntwo\nthree\rfour\x1A"
       "five\r\n",
       {"one", "two", "three", "four"}},
      {"empty lines dropped at both ends, kept between, trailing blanks gone",
       "\r\n  \r\n  centred  \r\n\r\n\x1B[1mlast\x1B[0m   \r\n\r\n   \r\n",
       {"  centred", "", "last"}},
      {"a long line wrapped, a line of exactly 50 kept with its blanks",
       long_line + "\n   " + std::string(47, '=') + "\n",
       {"A line of more than fifty characters is wrapped at", "its words, never cut.",
        "   " + std::string(47, '=')}},
      {"CP437 kept, colour codes and control bytes removed",
       "\xDA\xC4\xBF @X0Fbright@X07 |15pipe\x07\n\x01",
       {"\xDA\xC4\xBF bright pipe"}},
      {"nothing but blanks and codes", "  \r\n@X0F\r\n\x1A text after", {}},
  };
  for (const Case& c : cases) {
    bool cut = true;
    EXPECT_EQ(member_description_lines(c.bytes, false, 99, &cut), c.lines) << c.what;
    EXPECT_EQ(cut, c.cut) << c.what;
  }
  // 100 lines keep 99 and say so; empty lines past the 99th are no loss.
  std::string hundred;
  for (int i = 1; i <= 100; ++i) hundred += "line " + std::to_string(i) + "\r\n";
  bool cut = false;
  Lines kept = member_description_lines(hundred, false, 99, &cut);
  EXPECT_EQ(kept.size(), 99u);
  EXPECT_EQ(kept.back(), "line 99");
  EXPECT_TRUE(cut);
  member_description_lines(hundred.substr(0, hundred.find("line 100")) + "\r\n\r\n", false, 99,
                           &cut);
  EXPECT_FALSE(cut);
}

// describe_archive of bytes written as `name` into a fresh directory.
ArchiveDescription describe(const std::string& bytes, const std::string& name = "TEST.ZIP") {
  test::TempDir dir;
  test::write_file(dir / name, bytes);
  return describe_archive(dir.path, name, false, 99);
}

const std::string kDiz = "Zaps a file\r\n  and its copies\r\n";
const Lines kDizLines = {"Zaps a file", "  and its copies"};

TEST(ArchiveDescription, TheTopLevelDescriptionMemberOfEachKindRead) {
  struct Case {
    const char* what;
    ArchiveFormat format;
    std::vector<ArchiveMember> members;
    ArchiveOutcome outcome;
    Lines lines;
    std::string message = {};
  } cases[] = {
      {"zip, after another member",
       ArchiveFormat::Zip,
       {{"ZAP.COM", test::noise(3000)}, {"FILE_ID.DIZ", kDiz}},
       ArchiveOutcome::Described,
       kDizLines},
      {"stored zip, in another letter case",
       ArchiveFormat::StoredZip,
       {{"ZAP.COM", test::noise(3000)}, {"File_Id.Diz", kDiz}},
       ArchiveOutcome::Described,
       kDizLines},
      {"7-zip",
       ArchiveFormat::SevenZip,
       {{"ZAP.COM", "code"}, {"file_id.diz", kDiz}},
       ArchiveOutcome::Described,
       kDizLines},
      {"tar, its names after ./",
       ArchiveFormat::Tar,
       {{"./ZAP.COM", "c"}, {"./FILE_ID.DIZ", kDiz}},
       ArchiveOutcome::Described,
       kDizLines},
      {"two of them: the first",
       ArchiveFormat::Zip,
       {{"FILE_ID.DIZ", kDiz}, {"file_id.diz", "the second"}},
       ArchiveOutcome::Described,
       kDizLines},
      {"DESC.SDI alone",
       ArchiveFormat::Zip,
       {{"DESC.SDI", kDiz}, {"ZAP.COM", "c"}},
       ArchiveOutcome::Described,
       kDizLines},
      {"FILE_ID.DIZ before a DESC.SDI that comes first",
       ArchiveFormat::SevenZip,
       {{"DESC.SDI", "the SDI"}, {"FILE_ID.DIZ", kDiz}},
       ArchiveOutcome::Described,
       kDizLines},
      {"ANSI and CP437 art",
       ArchiveFormat::Zip,
       {{"FILE_ID.DIZ", "\x1B[1;33m\xDC\xDC\xDC \x1B[5CZAP\x1B[0m\r\n\xB3 v1.0 \xB3\r\n"}},
       ArchiveOutcome::Described,
       {"\xDC\xDC\xDC ZAP", "\xB3 v1.0 \xB3"}},
      {"none",
       ArchiveFormat::Zip,
       {{"ZAP.COM", "c"}},
       ArchiveOutcome::NoDescription,
       {},
       "'TEST.ZIP' holds no FILE_ID.DIZ or DESC.SDI at its top"},
      {"in a folder",
       ArchiveFormat::SevenZip,
       {{"DOCS", "", true}, {"DOCS/FILE_ID.DIZ", kDiz}, {"ZAP.COM", "c"}},
       ArchiveOutcome::NoDescription,
       {},
       "'TEST.ZIP' holds no FILE_ID.DIZ or DESC.SDI at its top ('DOCS/FILE_ID.DIZ' lies in a "
       "folder: not taken)"},
      {"names that only end in the name",
       ArchiveFormat::Tar,
       {{"../FILE_ID.DIZ", kDiz}, {"XFILE_ID.DIZ", kDiz}, {"FILE_ID.DIZ\x01", kDiz}},
       ArchiveOutcome::NoDescription,
       {},
       "'TEST.ZIP' holds no FILE_ID.DIZ or DESC.SDI at its top ('../FILE_ID.DIZ' lies in a "
       "folder: not taken)"},
      {"a folder named so",
       ArchiveFormat::Zip,
       {{"FILE_ID.DIZ", "", true}},
       ArchiveOutcome::NoDescription,
       {},
       "'TEST.ZIP' holds no FILE_ID.DIZ or DESC.SDI at its top"},
      {"an empty one",
       ArchiveFormat::Zip,
       {{"FILE_ID.DIZ", "\r\n \x1A"}},
       ArchiveOutcome::NoDescription,
       {},
       "the FILE_ID.DIZ of 'TEST.ZIP' holds no text"},
      {"an empty archive",
       ArchiveFormat::Zip,
       {},
       ArchiveOutcome::NoDescription,
       {},
       "'TEST.ZIP' holds no FILE_ID.DIZ or DESC.SDI at its top"},
  };
  for (const Case& c : cases) {
    ArchiveDescription d = describe(test::archive_bytes(c.format, c.members));
    EXPECT_EQ(static_cast<int>(d.outcome), static_cast<int>(c.outcome)) << c.what << d.message;
    EXPECT_EQ(d.lines, c.lines) << c.what;
    EXPECT_EQ(d.message, c.message) << c.what;
  }
}

// A ZIP of a member stored before its FILE_ID.DIZ.
std::string stored_zip() {
  return test::archive_bytes(ArchiveFormat::StoredZip,
                             {{"ZAP.COM", test::noise(100'000)}, {"FILE_ID.DIZ", kDiz}});
}

// The same with a field of a member's local header (at `field`, 4 or more)
// changed, and the same field of its central header.
std::string patched_zip(const std::string& member, size_t field, const std::string& bytes) {
  std::string zip = stored_zip();
  size_t at = test::zip_local_header(zip, member);
  EXPECT_NE(at, std::string::npos);
  zip.replace(at + field, bytes.size(), bytes);
  if (size_t central = test::zip_central_header(zip, member); central != std::string::npos)
    zip.replace(central + field + 2, bytes.size(), bytes);  // its fields lie 2 bytes later
  return zip;
}

// The ZIP with a field of the FILE_ID.DIZ's central header changed.
std::string patched_central(std::string zip, size_t field, const std::string& bytes) {
  zip.replace(test::zip_central_header(zip, "FILE_ID.DIZ") + field, bytes.size(), bytes);
  return zip;
}

TEST(ArchiveDescription, WhatIsNotReadIsNamedAndHostileArchivesStopEarly) {
  std::string sound = stored_zip();
  struct Case {
    const char* what;
    std::string bytes;
    ArchiveOutcome outcome;
    std::string message;  // its start
  } cases[] = {
      {"a .ZIP that is text", "Not an archive at all\r\n", ArchiveOutcome::NotArchive,
       "'TEST.ZIP' is text, not an archive"},
      {"an empty file", "", ArchiveOutcome::NotArchive, "'TEST.ZIP' is empty, not an archive"},
      {"an ARJ signature", "\x60\xEA\x29\0\x1E\x07\x01\0\x10\0\x02", ArchiveOutcome::UnreadKind,
       "'TEST.ZIP' is an ARJ archive, which is not read"},
      {"Implode", patched_zip("FILE_ID.DIZ", 8, std::string("\x06\0", 2)),
       ArchiveOutcome::UnreadMethod,
       "'TEST.ZIP': its FILE_ID.DIZ is stored with PKZIP 1.x's Implode, which is not decoded"},
      {"Implode, read member after member (no end record)",
       patched_zip("FILE_ID.DIZ", 8, std::string("\x06\0", 2)).substr(0, sound.size() - 1),
       ArchiveOutcome::UnreadMethod,
       "'TEST.ZIP': its FILE_ID.DIZ is stored with PKZIP 1.x's Implode, which is not decoded"},
      {"Shrink", patched_zip("FILE_ID.DIZ", 8, std::string("\x01\0", 2)),
       ArchiveOutcome::UnreadMethod,
       "'TEST.ZIP': its FILE_ID.DIZ is stored with PKZIP 1.x's Shrink, which is not decoded"},
      {"encrypted", patched_zip("FILE_ID.DIZ", 6, std::string("\x01\0", 2)),
       ArchiveOutcome::Unreadable, "'TEST.ZIP': its FILE_ID.DIZ is encrypted"},
      {"truncated before its description", sound.substr(0, 60'000), ArchiveOutcome::Unreadable,
       "'TEST.ZIP' cannot be read as a ZIP archive: "},
      {"a size pointing past the end, read member after member",
       patched_zip("ZAP.COM", 18, "\xF0\xFF\xFF\x7F").substr(0, sound.size() - 1),
       ArchiveOutcome::Unreadable, "'TEST.ZIP' cannot be read as a ZIP archive: "},
      {"its header's place past the end", patched_central(sound, 42, "\xF0\xFF\xFF\x7F"),
       ArchiveOutcome::Unreadable, "'TEST.ZIP' cannot be read as a ZIP archive: "},
      {"a 7-Zip cut short",
       test::archive_bytes(ArchiveFormat::SevenZip, {{"FILE_ID.DIZ", kDiz}}).substr(0, 40),
       ArchiveOutcome::Unreadable, "'TEST.ZIP' cannot be read as a 7-Zip archive: "},
  };
  for (const Case& c : cases) {
    ArchiveDescription d = describe(c.bytes);
    EXPECT_EQ(static_cast<int>(d.outcome), static_cast<int>(c.outcome)) << c.what << d.message;
    EXPECT_EQ(d.message.substr(0, c.message.size()), c.message) << c.what;
    EXPECT_TRUE(d.lines.empty()) << c.what;
  }
  EXPECT_EQ(describe(sound).lines, kDizLines);
}

// A FILE_ID.DIZ of 200 MB: its first 64 KiB give the description, the rest
// is never inflated.
TEST(ArchiveDescription, AHugeDescriptionIsReadOnlyToItsLimit) {
  ArchiveDescription d =
      describe(test::zip_bomb_bytes("FILE_ID.DIZ", "Zaps a file.\r\n", int64_t{200} << 20));
  EXPECT_EQ(static_cast<int>(d.outcome), static_cast<int>(ArchiveOutcome::Described));
  EXPECT_TRUE(d.larger);
  EXPECT_TRUE(d.cut);
  EXPECT_EQ(d.lines.size(), 99u);
  EXPECT_EQ(d.lines[0], "Zaps a file.");
  EXPECT_EQ(d.message,
            "the FILE_ID.DIZ of 'TEST.ZIP' holds more than 64 KiB: the rest is not read");
}

// Each bound on the work one archive can cause ends it with a finding.
TEST(ArchiveDescription, TheBoundsOnAnArchivesWorkEachGiveAFinding) {
  std::vector<ArchiveMember> many(kMaxMembers + 1);
  for (size_t i = 0; i < many.size(); ++i) many[i].name = std::to_string(i);
  // A stored member whose sizes follow its data only, and no end record:
  // read member after member, its end is found by reading to it.
  std::string stored = test::archive_bytes(
      ArchiveFormat::StoredZip, {{"BIG.DAT", test::noise(70 << 20)}, {"FILE_ID.DIZ", kDiz}});
  stored.replace(test::zip_local_header(stored, "BIG.DAT") + 18, 8, 8, '\0');
  struct Case {
    const char* what;
    std::string bytes;
    std::string message;
  } cases[] = {
      {"members", test::archive_bytes(ArchiveFormat::Zip, many),
       "'TEST.ZIP' cannot be read as a ZIP archive: more than 50000 members without a "
       "description"},
      {"bytes read, streamed past a member whose size follows its data",
       stored.substr(0, stored.size() - 1),
       "'TEST.ZIP' cannot be read as a ZIP archive: 64 MiB read without reaching its end"},
      {"bytes decompressed in a solid block",
       test::archive_bytes(ArchiveFormat::SevenZip,
                           {{"BIG.DAT", std::string(130 << 20, '\0')}, {"FILE_ID.DIZ", kDiz}},
                           "7zip:compression=deflate"),
       "'TEST.ZIP' cannot be read as a 7-Zip archive: more than 128 MiB decompressed before its "
       "description"},
  };
  for (const Case& c : cases) {
    ArchiveDescription d = describe(c.bytes);
    EXPECT_EQ(static_cast<int>(d.outcome), static_cast<int>(ArchiveOutcome::Unreadable)) << c.what;
    EXPECT_EQ(d.message, c.message) << c.what;
  }
}

TEST(ArchiveDescription, AReadThatFailsMidArchiveIsAFindingAndNotAnError) {
  test::TempDir dir;
  test::write_file(dir / "TEST.ZIP", stored_zip());
  test::write_file(dir / "NEXT.ZIP",
                   test::archive_bytes(ArchiveFormat::Zip, {{"FILE_ID.DIZ", kDiz}}));
  // The first read takes the first 64 KiB; the second, past the stored
  // member, fails.
  test::install_faults({{test::nth_call(test::Call::Read, 2), EIO}});
  ArchiveDescription d = describe_archive(dir.path, "TEST.ZIP", false, 99);
  ArchiveDescription next = describe_archive(dir.path, "NEXT.ZIP", false, 99);
  int opens = test::calls_made(test::Call::Open), closes = test::calls_made(test::Call::Close);
  test::remove_faults();
  EXPECT_EQ(static_cast<int>(d.outcome), static_cast<int>(ArchiveOutcome::Unreadable));
  EXPECT_EQ(d.message, "'TEST.ZIP' cannot be read as a ZIP archive: cannot read '" +
                           dir / "TEST.ZIP" + "': Input/output error");
  EXPECT_EQ(next.lines, kDizLines);
  EXPECT_EQ(opens, 2);
  EXPECT_EQ(closes, 2);
}

}  // namespace
}  // namespace tolv
