#include "tolvboard/run_stamp.h"

#include <cstdio>

#include "companion/text.h"
#include "runtime/syscall.h"

namespace tolv {

namespace {

bool needs_quotes(std::string_view word) {
  if (word.empty()) return true;
  for (char c : word) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                 std::string_view("%+,-./:=@_").find(c) != std::string_view::npos;
    if (!plain) return true;
  }
  return false;
}

}  // namespace

std::string local_time_text(time_t when) {
  struct tm local {};
  char text[64];
  if (localtime_r(&when, &local) == nullptr ||
      strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S %z", &local) == 0)
    return std::to_string(static_cast<long long>(when)) + " s since 1970";
  return text;
}

std::string command_text(const std::vector<std::string_view>& words) {
  std::string line;
  for (std::string_view word : words) {
    if (!line.empty()) line += ' ';
    if (!needs_quotes(word)) {
      line += escape_controls(word);
      continue;
    }
    line += '\'';
    for (size_t cut; (cut = word.find('\'')) != std::string_view::npos; word.remove_prefix(cut + 1))
      line.append(escape_controls(word.substr(0, cut))).append("'\\''");
    line.append(escape_controls(word)).append("'");
  }
  return line;
}

RunStamp stamp_this_run(const std::vector<std::string_view>& words) {
  return {sys_getpid(), local_time_text(sys_time()), command_text(words)};
}

std::string holder_text(const RunStamp& run) {
  return std::to_string(run.pid)
      .append(", started ")
      .append(run.started)
      .append(": ")
      .append(run.command);
}

std::string utc_time_text(int64_t seconds) {
  time_t t = static_cast<time_t>(seconds);
  struct tm parts;
  char text[64] = "?";
  if (gmtime_r(&t, &parts))
    snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d UTC", parts.tm_year + 1900,
             parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
  return text;
}

}  // namespace tolv
