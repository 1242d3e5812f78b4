// The base an area is converted into: OUTDIR/N-NAME, N the area number and
// NAME the listing's file name as the area list spells it (tolvconv then
// drops its extension and adds .dir and .des).
//
// NAME comes from the board's files, so it is checked before it becomes a
// path: it must be a plain file name that stays inside OUTDIR.
#pragma once

#include <string>
#include <string_view>

namespace tolv {

struct AreaBase {
  std::string path;     // OUTDIR/N-NAME, when NAME is acceptable
  std::string refusal;  // else why the area is refused
};

AreaBase area_base(std::string_view out_dir, int number, std::string_view spelled_listing);

}  // namespace tolv
