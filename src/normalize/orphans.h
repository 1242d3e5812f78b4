// The files of the directory that the listing does not name. Without
// --orphans each is only reported; with it each becomes an entry after the
// listed ones, in name order, written by the rules every entry meets (a
// name with a blank or a control character, or longer than 12, is not
// carried), and the listing itself (and the one being written) is
// reported, not written.
#pragma once

#include <string>
#include <string_view>

namespace tolv {

// The finding for a file no entry names; `written` with --orphans.
std::string orphan_message(std::string_view name, bool written);

// The finding for a file of the directory left out of it because it is the
// listing read or the one written.
std::string left_out_message(std::string_view name);

}  // namespace tolv
