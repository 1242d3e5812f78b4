// make_listing N [DESC_LINES] > file
//
// Writes a PCBoard listing of N file entries, each with DESC_LINES
// description lines (default 2: the entry line's own text and one
// continuation line), to standard output, with CR LF line ends. The listing
// looks like a real board's: file areas with a title, a column header and
// separators, 8.3 names, sizes from a few hundred bytes to tens of
// megabytes, dates from 1985 to 2015 and descriptions made of words. The
// output is the same on every run for the same arguments.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    fprintf(stderr, "usage: make_listing N [DESC_LINES] > file\n");
    return 2;
  }
  long count = strtol(argv[1], nullptr, 10);
  long desc_lines = argc > 2 ? strtol(argv[2], nullptr, 10) : 2;
  if (count < 0 || desc_lines < 1 || desc_lines > kMaxDescLines) {
    fprintf(stderr, "make_listing: N must be 0 or more, DESC_LINES 1 to %d\n", kMaxDescLines);
    return 2;
  }
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
