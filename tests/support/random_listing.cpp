#include "support/random_listing.h"

#include <cstdio>
#include <random>
#include <vector>

#include "support/listing_text.h"

namespace tolv::test {

RandomListing make_random_listing(uint32_t seed) {
  std::mt19937 rng(seed);
  auto pick = [&](int n) { return static_cast<int>(rng() % n); };
  const char* ends[] = {"\r\n", "\n", "\r"};
  std::string end = ends[pick(3)];
  std::vector<std::string> names;
  std::vector<std::string> read;  // the names as the reader takes them
  std::string out = "Random listing " + std::to_string(seed) + end + "==============" + end;
  int entries = 1 + pick(60);
  for (int i = 0; i < entries; ++i) {
    if (pick(8) == 0) end = ends[pick(3)];
    if (pick(6) == 0) out += "Some header text" + end;
    std::string name;
    if (!names.empty() && pick(4) == 0) {
      name = names[pick(static_cast<int>(names.size()))];  // a repeat
    } else if (pick(10) == 0) {
      name = std::string(71 + pick(40), 'L') + std::to_string(i);  // longer than a record holds
    } else if (pick(30) == 0) {
      name = "";  // the line begins with a space
    } else if (pick(12) == 0) {
      name = (std::to_string(i) + "_TWELVE_CHARS").substr(0, 12);  // fills the name columns
    } else {
      name = "F" + std::to_string(seed % 97) + "_" + std::to_string(i) + ".ZIP";
    }
    names.push_back(name);
    std::string line;
    if (name.size() <= 12) {
      // Now and then a size or date at the edge of what the columns hold,
      // and text with CP437 letters, box drawing, a TAB or a Ctrl-Z.
      const char* sizes[] = {"$FFFFFFFF", "-99999999", "999999999", "$80000000", "%101", "1,024"};
      const char* dates[] = {"13-40-99", "00-00-00", "12-31-79", "01-01-80", "xx-yy-zz"};
      const char* texts[] = {"Caf\x82 \xc9\xcd\xbb \xb0\xb1\xb2\xdb", "tab\there", "end\x1a!", ""};
      std::string size = pick(8) == 0 ? sizes[pick(6)] : std::to_string(pick(100000));
      std::string date = pick(8) == 0
                             ? dates[pick(5)]
                             : "0" + std::to_string(1 + pick(9)) + "-1" + std::to_string(pick(10)) +
                                   "-9" + std::to_string(pick(10));
      std::string text = pick(8) == 0 ? texts[pick(4)] : std::string(pick(60), 'd');
      line = entry_line(name, size, date, text);
    } else {
      // A long name runs over the columns; the dashes stay in 26 and 29.
      line = name + " " + std::string(40, ' ');
      line[25] = line[28] = '-';
    }
    read.push_back(line.substr(0, line.find(' ')));
    out += line + end;
    int more = pick(5) == 0 ? pick(110) : pick(3);
    for (int j = 0; j < more; ++j) out += continuation_line(std::string(pick(70), 'c')) + end;
  }
  if (pick(2)) out += "Trailer" + end;
  return {out, read};
}

namespace {

const char* const kWords[] = {"tool",    "for",  "the",  "BBS",     "with",   "a",    "long",
                              "manual,", "fast", "CP/M", "utility", "(v1.2)", "disk", "Z80"};

std::string date_text(const AreaFile& f) {
  char text[16];
  snprintf(text, sizeof text, "%02u-%02u-%02u", f.month, f.day, f.year % 100);
  return text;
}

std::string grouped(int64_t size) {
  std::string digits = std::to_string(size), out;
  for (size_t d = 0; d < digits.size(); ++d)
    out.append((d && (digits.size() - d) % 3 == 0) ? "," : "").append(1, digits[d]);
  return out;
}

}  // namespace

std::vector<AreaFile> make_random_area(uint32_t seed, int files) {
  std::mt19937 rng(seed);
  auto pick = [&](int n) { return static_cast<int>(rng() % n); };
  std::vector<AreaFile> area;
  for (int i = 0; i < files; ++i) {
    AreaFile f;
    // Appended piece by piece: g++ 12 warns falsely (-Wrestrict) on "F" + string.
    std::string stem = "F";
    stem.append(std::to_string(seed % 89)).append("X").append(std::to_string(i));
    switch (pick(6)) {
      case 0:
        f.name = stem;  // no extension
        break;
      case 1:
        f.name = (stem + "ABCDEFGH").substr(0, 8) + ".ZIP";  // 12 characters
        break;
      default:
        f.name = stem + (pick(2) ? ".LBR" : ".ZIP");
    }
    int64_t most = f.name.size() == 12 ? 99'999'999 : 999'999'999;
    f.size = pick(3) == 0 ? pick(1000) : static_cast<int64_t>(rng() % most);
    f.year = 1980 + pick(100);
    f.month = 1 + pick(12);
    f.day = 1 + pick(28);
    const char* starts[] = {"[3]", "12 Jan 94", "01/02/93 |", "B 1234 930102", "(12)"};
    if (pick(4) == 0) f.description = starts[pick(5)];
    for (int w = pick(30); w >= 0; --w)
      f.description.append(f.description.empty() ? "" : " ").append(kWords[pick(14)]);
    area.push_back(f);
  }
  return area;
}

std::vector<std::string> wrap_words(const std::string& text, size_t width) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find(' ', at);
    if (end == std::string::npos) end = text.size();
    std::string word = text.substr(at, end - at);
    if (!lines.empty() && lines.back().size() + 1 + word.size() <= width)
      lines.back().append(" ").append(word);
    else
      lines.push_back(word);
    at = end + 1;
  }
  return lines;
}

std::string area_as_pcboard(const std::vector<AreaFile>& area, const std::vector<size_t>& widths,
                            uint32_t noise) {
  std::mt19937 rng(noise);
  auto pick = [&](int n) { return noise != 0 && rng() % n == 0; };
  std::string out =
      noise != 0 ? "Some Board: utilities\r\nName         Size    Date    Description\r\n" : "";
  for (size_t i = 0; i < area.size(); ++i) {
    const AreaFile& f = area[i];
    std::vector<std::string> lines = wrap_words(f.description, widths[i % widths.size()]);
    if (lines.empty()) lines.push_back("");
    for (std::string& line : lines) {
      if (pick(12) && line.size() + 2 <= 50) line.insert(0, "  ");
      if (pick(12) && line.size() + 3 <= 50) line.append("   ");
    }
    if (pick(10)) lines.insert(lines.begin() + 1, "");
    out += entry_line(f.name, std::to_string(f.size), date_text(f), lines[0]) + "\r\n";
    for (size_t l = 1; l < lines.size(); ++l) out += continuation_line(lines[l]) + "\r\n";
  }
  return out;
}

std::string area_as(const std::vector<AreaFile>& area, const std::string& layout) {
  std::string out;
  for (const AreaFile& f : area) {
    const std::string& text = f.description;
    if (layout == "spitfire") {
      out += entry_line(f.name, grouped(f.size), date_text(f), text) + "\r\n";
    } else if (layout == "rbbs") {
      std::vector<std::string> first = wrap_words(text, 45);
      std::string rest =
          text.substr(first.empty() ? 0 : std::min(text.size(), first[0].size() + 1));
      out +=
          entry_line(f.name, std::to_string(f.size), date_text(f), first.empty() ? "" : first[0]) +
          "\r\n";
      for (const std::string& line : wrap_words(rest, 76)) out += "  " + line + "\r\n";
    } else if (layout == "files-bbs") {
      out += f.name + std::string(f.name.size() < 13 ? 13 - f.name.size() : 1, ' ') + text + "\r\n";
    } else if (layout == "descript-ion") {
      out += f.name + " " + text + "\r\n";
    } else if (layout == "wildcat-import") {
      std::string name = f.name;
      name.resize(14, ' ');
      out += name + text + "\r\n";
    }
  }
  return out;
}

}  // namespace tolv::test
