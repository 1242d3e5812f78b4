#include "tolvboard/base_name.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "companion/text.h"
#include "filebase/base_path.h"
#include "tolvboard/journal_frame.h"
#include "tolvboard/listing_path.h"

namespace tolv {

namespace {

// Listing names that say nothing of their area: the directory's name does.
constexpr std::string_view kSharedNames[] = {"FILES.BBS", "DESCRIPT.ION", "WILDCAT.TXT"};

bool has_control_byte(std::string_view text) {
  for (unsigned char c : text)
    if (c < 0x20 || c == 0x7F) return true;
  return false;
}

// The spelled path's components, its drive left out.
std::vector<std::string> components(std::string_view spelled) {
  std::vector<std::string> parts;
  if (spelled.size() >= 2 && spelled[1] == ':') spelled.remove_prefix(2);
  while (!spelled.empty()) {
    size_t cut = spelled.find_first_of("\\/");
    if (cut != 0) parts.emplace_back(spelled.substr(0, cut));
    spelled.remove_prefix(cut == std::string_view::npos ? spelled.size() : cut + 1);
  }
  return parts;
}

// A directory's name inside a base's name: its dots would cut the name
// where tolvconv looks for an extension.
std::string plain(std::string text) {
  std::replace(text.begin(), text.end(), '.', '_');
  return text;
}

struct Candidate {
  size_t source = 0;
  std::string file;                  // the name's own part, its extension kept
  std::vector<std::string> context;  // the directories above it, nearest last
  size_t depth = 0;                  // how many of them the name takes
  bool checked = false;              // the found path's check digits added
  std::string name;

  void make(const std::string& found) {
    name = file;
    for (size_t i = 0; i < depth; ++i) name = context[context.size() - 1 - i] + "-" + name;
    if (checked) {
      char digits[16];
      snprintf(digits, sizeof digits, "-%08X", crc32c(found));
      name = derive_base_paths(name).stem + digits;
    }
  }
  // The files' name without extension, in one letter case.
  std::string key() const { return folded(derive_base_paths(name).stem); }
};

// The candidate of a source, or the refusal of its name.
bool candidate_of(const BaseSource& source, Candidate& c, std::string& refusal) {
  std::string_view last = last_component(source.spelled);
  if (last.empty())
    refusal = "its listing path '" + source.spelled + "' names no file";
  else if (last == "." || last == "..")
    refusal = "its listing path ends in '" + std::string(last) + "', not a file name";
  else if (has_control_byte(last))
    refusal = "its listing's name holds a control byte";
  if (!refusal.empty()) return false;
  std::vector<std::string> parts = components(source.spelled);
  parts.pop_back();
  for (std::string& part : parts) part = plain(part);
  c.file = last;
  bool shared = std::any_of(std::begin(kSharedNames), std::end(kSharedNames),
                            [&](std::string_view n) { return equal_ignoring_case(n, last); });
  if (shared && !parts.empty()) {
    c.file = parts.back();
    parts.pop_back();
  }
  c.context = std::move(parts);
  return true;
}

constexpr int kMostRounds = 64;  // more directories than a path spells

// The groups of candidates that share a name but not a listing.
std::map<std::string, std::vector<Candidate*>> clashes(std::vector<Candidate>& candidates,
                                                       const std::vector<BaseSource>& sources) {
  std::map<std::string, std::vector<Candidate*>> by_key;
  for (Candidate& c : candidates)
    if (!c.name.empty()) by_key[c.key()].push_back(&c);
  std::erase_if(by_key, [&](const auto& entry) {
    const std::string& found = sources[entry.second.front()->source].found;
    return std::all_of(entry.second.begin(), entry.second.end(),
                       [&](const Candidate* c) { return sources[c->source].found == found; });
  });
  return by_key;
}

}  // namespace

std::vector<AreaBase> name_bases(const std::vector<BaseSource>& sources) {
  std::vector<AreaBase> bases(sources.size());
  std::vector<Candidate> candidates;
  for (size_t i = 0; i < sources.size(); ++i) {
    Candidate c;
    c.source = i;
    if (!candidate_of(sources[i], c, bases[i].refusal)) continue;
    c.make(sources[i].found);
    candidates.push_back(std::move(c));
  }
  // Each round, every group of listings that share a name takes one more
  // directory each; one that has none left takes its check digits.
  bool clashed = true;
  for (int round = 0; clashed && round < kMostRounds; ++round) {
    clashed = false;
    for (auto& [key, group] : clashes(candidates, sources)) {
      clashed = true;
      for (Candidate* c : group) {
        if (c->depth < c->context.size())
          ++c->depth;
        else
          c->checked = true;
        c->make(sources[c->source].found);
      }
    }
  }
  // Names that still meet (check digits alike) are no names.
  for (auto& [key, group] : clashes(candidates, sources))
    for (Candidate* c : group) {
      bases[c->source].refusal =
          "its base's name '" + c->name + "' is another listing's too, in every form it can take";
      c->name.clear();
    }
  for (const Candidate& c : candidates) bases[c.source].name = c.name;
  return bases;
}

std::string base_path(std::string_view out_dir, std::string_view name) {
  std::string dir(out_dir);
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir + (dir.back() == '/' ? "" : "/") + std::string(name);
}

bool natural_less(std::string_view a, std::string_view b) {
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (digit(a[i]) && digit(b[j])) {
      size_t ei = i, ej = j;
      while (ei < a.size() && digit(a[ei])) ++ei;
      while (ej < b.size() && digit(b[ej])) ++ej;
      std::string_view na = a.substr(i, ei - i), nb = b.substr(j, ej - j);
      while (na.size() > 1 && na[0] == '0') na.remove_prefix(1);
      while (nb.size() > 1 && nb[0] == '0') nb.remove_prefix(1);
      if (na.size() != nb.size()) return na.size() < nb.size();
      if (na != nb) return na < nb;
      i = ei, j = ej;
      continue;
    }
    char ca = fold_case(a[i]), cb = fold_case(b[j]);
    if (ca != cb) return static_cast<unsigned char>(ca) < static_cast<unsigned char>(cb);
    ++i, ++j;
  }
  if ((a.size() - i) != (b.size() - j)) return a.size() - i < b.size() - j;
  return a < b;
}

}  // namespace tolv
