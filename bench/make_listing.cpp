// make_listing [--layout LAYOUT] [--dir DIR [--dir-files M]] N [DESC_LINES] > file
//
// Writes a listing of N file entries to standard output, with CR LF line
// ends. The output is the same on every run for the same arguments, with or
// without --dir. LAYOUT is one of:
//
//   pcboard    (default) PCBoard: file areas with a title, a column header
//              and separators, 8.3 names, sizes from a few hundred bytes to
//              tens of megabytes, dates from 1985 to 2015, DESC_LINES
//              description lines each (default 2: the entry line's own text
//              and one `|` continuation line).
//   spitfire   PCBoard columns, sizes with thousands separators, the whole
//              description (100 to 500 characters) on the entry line; each
//              area starts with a title, a path line and a rule glued to
//              the column header.
//   files-bbs  FILES.BBS: the name padded to 13 columns, then the text; no
//              size, no date. Some entries have a `[12]` download counter,
//              some ` > ` continuation lines; each area starts with comment
//              lines that begin with a blank.
//   generator  an all-files catalog: `NAME  SIZE DD-Mon-YY* [03] text`, the
//              size ending at column 21, the date at 23-31, a new-file mark
//              `*` on some entries, a counter at 34-37, the text from column
//              39 and continuation lines indented to column 39; areas under
//              CP437 box banners, each closed by a totals line.
//
// In the last three layouts every name is unique (a stem and the entry's
// serial number; N at most 1,000,000) and DESC_LINES is not taken.
//
// --dir DIR (those three layouts) also creates in DIR, for M of the entries
// spread evenly over the listing (default: all N), an empty sparse file of
// the entry's size, modified at noon local time on the entry's date. Where
// the listing gives no size or date (files-bbs) the file gets its own. Every
// other file on disk has its name in lower case, so a reader must match
// names in any letter case.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

constexpr int kEntriesPerArea = 400;
constexpr int kMaxDescLines = 99;
constexpr size_t kDescWidth = 45;  // description text per line, as boards wrap it

// A small fixed-seed generator (xorshift64*), so listings are reproducible.
struct Random {
  uint64_t state = 0x9E3779B97F4A7C15ull;
  uint64_t next() {
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return state * 0x2545F4914F6CDD1Dull;
  }
  int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }
};

const char* const kStems[] = {"PKZ",  "ARJ",  "LHA",   "DOOM", "WOLF",  "QEDIT", "TELIX", "QMODEM",
                              "FDOC", "SCAN", "CLEAN", "VPIC", "GIF",   "UTIL",  "DISK",  "MENU",
                              "BBS",  "DOOR", "LORD",  "TW",   "NET",   "MAIL",  "FONT",  "MOD",
                              "PLAY", "EDIT", "CALC",  "TAX",  "BIBLE", "CHESS", "GO",    "SPACE"};
const char* const kExtensions[] = {"ZIP", "ZIP", "ZIP", "ARJ", "LZH", "EXE",
                                   "TXT", "GIF", "DOC", "COM", "RAR", "MOD"};
const char* const kWords[] = {
    "the",        "best",     "shareware", "utility",    "for",    "DOS",      "and",
    "Windows",    "version",  "update",    "fixes",      "bugs",   "in",       "new",
    "fast",       "file",     "archive",   "manager",    "with",   "full",     "source",
    "code",       "game",     "levels",    "editor",     "viewer", "supports", "VGA",
    "SVGA",       "modem",    "terminal",  "program",    "door",   "BBS",      "sysop",
    "registered", "freeware", "docs",      "included",   "a",      "text",     "adventure",
    "of",         "all",      "time",      "requires",   "386",    "or",       "better",
    "sound",      "blaster",  "music",     "collection", "from",   "demo",     "scene",
    "virus",      "scanner",  "clean",     "disk",       "cache",  "menu",     "system",
    "tool"};

template <size_t N>
const char* pick(Random& r, const char* const (&list)[N]) {
  return list[r.below(static_cast<int>(N))];
}

std::string file_name(Random& r, int serial) {
  std::string stem = pick(r, kStems);
  stem += std::to_string(serial % 1000);
  if (stem.size() > 8) stem.resize(8);
  return stem + "." + pick(r, kExtensions);
}

std::string words(Random& r, size_t width) {
  std::string text;
  size_t want = width / 2 + static_cast<size_t>(r.below(static_cast<int>(width / 2) + 1));
  while (text.size() < want) {
    std::string word = pick(r, kWords);
    if (text.size() + 1 + word.size() > width) break;
    if (!text.empty()) text += ' ';
    text += word;
  }
  return text;
}

void area_header(std::string& out, int area) {
  out += "\r\n";
  out += "                    File Area " + std::to_string(area) + " - Uploads and Utilities\r\n";
  out += "                    " + std::string(40, '=') + "\r\n";
  out += "\r\n";
  out += "Filename         Size  Date      Description of File Contents\r\n";
  out += "============ =========  ========  " + std::string(45, '=') + "\r\n";
}

void entry(std::string& out, Random& r, int serial, int desc_lines) {
  char line[160];
  int size = 300 + r.below(40'000'000 / (1 + r.below(100)));
  int year = (85 + r.below(31)) % 100;
  snprintf(line, sizeof line, "%-12s%9d  %02d-%02d-%02d  %s\r\n", file_name(r, serial).c_str(),
           size, 1 + r.below(12), 1 + r.below(28), year, words(r, kDescWidth).c_str());
  out += line;
  for (int i = 1; i < desc_lines; ++i) {
    out += std::string(31, ' ') + "| ";
    out += words(r, kDescWidth);
    out += "\r\n";
  }
}

// ---- The other layouts: unique names, and optionally the files themselves.

constexpr long kMaxUniqueEntries = 1'000'000;  // six digits of serial in an 8.3 name
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

enum class Layout { PCBoard, Spitfire, FilesBbs, Generator };

struct Date {
  int year, month, day;
};

// One file of a listing: what the listing says of it and what the disk holds.
struct File {
  std::string name;
  long size;
  Date date;
};

// A stem cut to leave room for the serial in 8 characters: the digits at the
// end tell every name from every other.
std::string unique_name(Random& r, long serial) {
  std::string digits = std::to_string(serial);
  std::string stem = pick(r, kStems);
  stem.resize(std::min(stem.size(), 8 - digits.size()));
  return stem + digits + "." + pick(r, kExtensions);
}

Date random_date(Random& r) {
  return {1985 + r.below(31), 1 + r.below(12), 1 + r.below(28)};
}

// Words making up between `least` and `most` characters.
std::string text_between(Random& r, size_t least, size_t most) {
  std::string text;
  size_t want = least + static_cast<size_t>(r.below(static_cast<int>(most - least) + 1));
  while (text.size() < want) {
    std::string word = pick(r, kWords);
    if (text.size() + 1 + word.size() > most) break;
    if (!text.empty()) text += ' ';
    text += word;
  }
  return text;
}

std::string with_commas(long n) {
  std::string digits = std::to_string(n), out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

// The file of entry `serial` on disk: DIR/NAME, sparse, `size` bytes long,
// modified at noon local time on `date`.
bool create_file(const std::string& dir, const File& file, bool lower_case) {
  std::string name = file.name;
  if (lower_case)
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  std::string path = dir + "/" + name;
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  std::tm noon{};
  noon.tm_year = file.date.year - 1900;
  noon.tm_mon = file.date.month - 1;
  noon.tm_mday = file.date.day;
  noon.tm_hour = 12;
  noon.tm_isdst = -1;
  timespec times[2] = {{mktime(&noon), 0}, {mktime(&noon), 0}};
  bool ok = ftruncate(fd, file.size) == 0 && futimens(fd, times) == 0;
  return close(fd) == 0 && ok;
}

void spitfire_header(std::string& out, int area) {
  out += "Shareware Library, " + std::to_string(area) + " of many\r\n";
  out += std::string(42, '-') + "\r\n";
  out += "File Area " + std::to_string(area) + " - Uploads and Utilities\r\n";
  out += "path: \\files\\area" + std::to_string(area) + "\r\n";
  out += std::string(53, '-') + "Name             Size    Date    Description\r\n";
  out += "------------     ----    ----    ---------\r\n";
}

File spitfire_entry(std::string& out, Random& r, long serial) {
  File file{unique_name(r, serial), 300 + r.below(9'000'000 / (1 + r.below(100))), random_date(r)};
  // The size's column is 9 wide: a 12-character name leaves 8, one blank included.
  if (file.name.size() == 12 && file.size >= 1'000'000) file.size /= 10;
  char line[64];
  snprintf(line, sizeof line, "%-12s%9s  %02d-%02d-%02d  ", file.name.c_str(),
           with_commas(file.size).c_str(), file.date.month, file.date.day, file.date.year % 100);
  out += line;
  out += text_between(r, 100, 500);
  out += "\r\n";
  return file;
}

void files_bbs_header(std::string& out, int area) {
  out += " File Area " + std::to_string(area) + " - Uploads and Utilities\r\n";
  out += " " + std::string(40, '-') + "\r\n";
}

File files_bbs_entry(std::string& out, Random& r, long serial) {
  File file{unique_name(r, serial), 300 + r.below(40'000'000 / (1 + r.below(100))), random_date(r)};
  char head[32];
  snprintf(head, sizeof head, "%-13s", file.name.c_str());
  out += head;
  if (r.below(10) < 4) {
    snprintf(head, sizeof head, "[%d] ", r.below(100));
    out += head;
  }
  out += text_between(r, 15, 60);
  out += "\r\n";
  if (r.below(10) < 3) {
    for (int lines = 1 + r.below(2); lines > 0; --lines)
      out += " > " + words(r, kDescWidth) + "\r\n";
  }
  return file;
}

void generator_banner(std::string& out, int area) {
  std::string title = "  Area " + std::to_string(area) + " - Uploads and Utilities";
  title.resize(44, ' ');
  out += "\xC9" + std::string(44, '\xCD') + "\xBB\r\n";
  out += "\xBA" + title + "\xBA\r\n";
  out += "\xC8" + std::string(44, '\xCD') + "\xBC\r\n";
  out += "\r\n";
}

File generator_entry(std::string& out, Random& r, long serial) {
  File file{unique_name(r, serial), 300 + r.below(40'000'000 / (1 + r.below(100))), random_date(r)};
  char line[64];
  snprintf(line, sizeof line, "%-12s%9ld %02d-%s-%02d%c [%02d] ", file.name.c_str(), file.size,
           file.date.day, kMonths[file.date.month - 1], file.date.year % 100,
           r.below(10) == 0 ? '*' : ' ', r.below(100));
  out += line;
  out += words(r, 40);
  out += "\r\n";
  if (r.below(10) < 4) {
    for (int lines = 1 + r.below(2); lines > 0; --lines)
      out += std::string(38, ' ') + words(r, 40) + "\r\n";
  }
  return file;
}

int write_unique_layout(Layout layout, long count, const std::string& dir, long dir_files) {
  if (!dir.empty() && mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) {
    fprintf(stderr, "make_listing: cannot create %s: %s\n", dir.c_str(), strerror(errno));
    return 1;
  }
  Random r;
  std::string out;
  long on_disk = 0;
  for (long i = 0; i < count; ++i) {
    int area = static_cast<int>(i / kEntriesPerArea) + 1;
    bool first = i % kEntriesPerArea == 0;
    bool last = i % kEntriesPerArea == kEntriesPerArea - 1 || i == count - 1;
    File file;
    switch (layout) {
      case Layout::Spitfire:
        if (first) spitfire_header(out, area);
        file = spitfire_entry(out, r, i);
        break;
      case Layout::FilesBbs:
        if (first) files_bbs_header(out, area);
        file = files_bbs_entry(out, r, i);
        break;
      case Layout::Generator:
        if (first) generator_banner(out, area);
        file = generator_entry(out, r, i);
        if (last) out += "\r\nTotal files: " + std::to_string(i % kEntriesPerArea + 1) + "\r\n\r\n";
        break;
      case Layout::PCBoard:
        break;
    }
    // Entry i has a file when it takes the count of files up to the next whole number.
    if (!dir.empty() && (i + 1) * dir_files / count > i * dir_files / count) {
      if (!create_file(dir, file, on_disk % 2 == 1)) {
        fprintf(stderr, "make_listing: cannot create %s in %s: %s\n", file.name.c_str(),
                dir.c_str(), strerror(errno));
        return 1;
      }
      ++on_disk;
    }
    if (out.size() >= (1 << 20)) {
      fwrite(out.data(), 1, out.size(), stdout);
      out.clear();
    }
  }
  fwrite(out.data(), 1, out.size(), stdout);
  return fflush(stdout) == 0 ? 0 : 1;
}

int write_pcboard(long count, long desc_lines) {
  Random r;
  std::string out;
  for (long i = 0; i < count; ++i) {
    if (i % kEntriesPerArea == 0) area_header(out, static_cast<int>(i / kEntriesPerArea) + 1);
    entry(out, r, static_cast<int>(i), static_cast<int>(desc_lines));
    if (out.size() >= (1 << 20)) {
      fwrite(out.data(), 1, out.size(), stdout);
      out.clear();
    }
  }
  out += "\r\n" + std::string(78, '*') + "\r\n";
  out += "Total files: " + std::to_string(count) + "\r\n";
  fwrite(out.data(), 1, out.size(), stdout);
  return fflush(stdout) == 0 ? 0 : 1;
}

int usage() {
  fprintf(stderr,
          "usage: make_listing [--layout pcboard|spitfire|files-bbs|generator]\n"
          "                    [--dir DIR [--dir-files M]] N [DESC_LINES] > file\n");
  return 2;
}

bool whole_number(const char* text, long* value) {
  char* end;
  *value = strtol(text, &end, 10);
  return *text != 0 && *end == 0 && *value >= 0;
}

}  // namespace

int main(int argc, char** argv) {
  Layout layout = Layout::PCBoard;
  std::string dir;
  long dir_files = -1;
  int i = 1;
  for (; i + 1 < argc && strncmp(argv[i], "--", 2) == 0; i += 2) {
    std::string option = argv[i], value = argv[i + 1];
    if (option == "--layout") {
      if (value == "pcboard")
        layout = Layout::PCBoard;
      else if (value == "spitfire")
        layout = Layout::Spitfire;
      else if (value == "files-bbs")
        layout = Layout::FilesBbs;
      else if (value == "generator")
        layout = Layout::Generator;
      else
        return usage();
    } else if (option == "--dir") {
      dir = value;
    } else if (option == "--dir-files") {
      if (!whole_number(argv[i + 1], &dir_files)) return usage();
    } else {
      return usage();
    }
  }
  if (argc - i < 1 || argc - i > 2) return usage();
  long count, desc_lines = 2;
  if (!whole_number(argv[i], &count) || (argc - i == 2 && !whole_number(argv[i + 1], &desc_lines)))
    return usage();
  if (layout == Layout::PCBoard) {
    if (!dir.empty() || dir_files >= 0) {
      fprintf(stderr, "make_listing: --dir needs a layout with unique names\n");
      return 2;
    }
    if (desc_lines < 1 || desc_lines > kMaxDescLines) {
      fprintf(stderr, "make_listing: N must be 0 or more, DESC_LINES 1 to %d\n", kMaxDescLines);
      return 2;
    }
    return write_pcboard(count, desc_lines);
  }
  if (argc - i == 2 || count > kMaxUniqueEntries || (dir.empty() && dir_files >= 0)) {
    fprintf(stderr, "make_listing: N at most %ld, no DESC_LINES, --dir-files only with --dir\n",
            kMaxUniqueEntries);
    return 2;
  }
  if (dir_files < 0 || dir_files > count) dir_files = count;
  return write_unique_layout(layout, count, dir, dir_files);
}
