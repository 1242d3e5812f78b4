// The base an area is converted into: OUTDIR/NAME, NAME taken from the
// area's listing, so that it stays the same however the area list is
// ordered, numbered or cut (tolvconv then drops NAME's extension and adds
// .dir and .des).
//
// NAME is the listing's file name as the area list spells it; for a name
// every area of some boards shares (FILES.BBS, DESCRIPT.ION, WILDCAT.TXT)
// it is the name of the listing's directory. Where two listings of the
// board would give one name (in any letter case, without the extension),
// each is named after one more of its directories above, "PCB-DIR1" and
// "OLD-DIR1", until the names differ; listings alike in every spelled
// directory get the check digits of the path they were found at. None of
// this looks at the order of the areas. Two areas of one listing share its
// base: it is converted for the first of them only.
//
// NAME comes from the board's files, so it is checked before it becomes a
// path: it must be a plain file name that stays inside OUTDIR.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tolv {

struct BaseSource {
  std::string spelled;  // the listing's path as the area list spells it
  std::string found;    // and as it was found on this system: two areas of one listing share it
};

struct AreaBase {
  std::string name;     // NAME, when it is acceptable
  std::string refusal;  // else why the area is refused
};

// The names of the bases of a board's areas, one for each source.
std::vector<AreaBase> name_bases(const std::vector<BaseSource>& sources);

// OUTDIR/NAME, OUTDIR's trailing slashes dropped.
std::string base_path(std::string_view out_dir, std::string_view name);

// Whether `a` sorts before `b` as a person sorts names: runs of digits by
// their value ("DIR2" before "DIR10"), letters in any case alike.
bool natural_less(std::string_view a, std::string_view b);

}  // namespace tolv
