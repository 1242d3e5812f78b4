#include "tolvboard/journal.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>

#include "companion/json_lines.h"
#include "companion/json_read.h"
#include "companion/output.h"
#include "companion/text.h"
#include "filebase/record.h"
#include "runtime/syscall.h"

namespace tolv {

namespace {

using Kind = JsonValue::Kind;

// The command line as parsed: the program, each option as written in full,
// then the operands.
std::vector<std::string> command_words(const Arguments& arguments) {
  std::vector<std::string> words{"tolvboard"};
  for (const auto& [option, value] : arguments.options) {
    words.push_back("--" + std::string(option->name));
    if (takes_value(*option)) words.emplace_back(value);
  }
  bool dashed = false;
  for (std::string_view operand : arguments.operands) dashed = dashed || operand.starts_with('-');
  if (dashed) words.emplace_back("--");
  for (std::string_view operand : arguments.operands) words.emplace_back(operand);
  return words;
}

int64_t records_of(const FileState& state) {
  if (!state.exists) return 0;
  return state.size < 0 ? -1 : state.size / kRecordSize;
}

int64_t bytes_of(const FileState& state) {
  return state.exists ? state.size : 0;
}

bool known(const FileState& state) {
  return state.exists && state.size >= 0;
}

// The state of a base's files as a line leaves them: their sizes, and what
// shows they are still those files (identity and modification time); null
// where a file is missing or its state unknown.
void state_fields(std::string& out, const BaseFiles& files) {
  for (const auto& [prefix, state] :
       {std::pair{"record", files.records}, std::pair{"description", files.descriptions}}) {
    std::string name(prefix);
    if (!known(state)) {
      for (const char* field : {"_bytes_after", "_device", "_inode", "_mtime_ns"})
        json_null(out, name + field);
      continue;
    }
    json_number(out, name + "_bytes_after", state.size);
    json_number(out, name + "_device", static_cast<int64_t>(state.device));
    json_number(out, name + "_inode", static_cast<int64_t>(state.inode));
    json_number(out, name + "_mtime_ns", state.mtime_ns);
  }
}

std::string area_line(const std::string& run, int number, const std::string& name,
                      const BaseFiles& before, const BaseFiles& after) {
  std::string out;
  json_begin(out);
  json_text(out, "kind", "area");
  json_text(out, "run", run);
  json_number(out, "area", number);
  json_text(out, "base", name);
  json_bool(out, "record_file_existed", before.records.exists);
  json_bool(out, "description_file_existed", before.descriptions.exists);
  json_count(out, "records_before", records_of(before.records));
  json_count(out, "description_bytes_before", bytes_of(before.descriptions));
  json_count(out, "records_after", records_of(after.records));
  state_fields(out, after);
  json_end(out);
  return out;
}

// ------------------------------------------------------------- reading

// The fields of one line, read by name; the first that is missing or of
// another type is kept in `error`.
struct Line {
  const JsonValue& object;
  std::string error;

  const JsonValue* get(const char* name, Kind kind, bool nullable = false) {
    const JsonValue* v = json_member(object, name);
    if (v && (v->kind == kind || (nullable && v->kind == Kind::Null))) return v;
    if (!error.empty()) return nullptr;
    const char* type = kind == Kind::Text      ? "a string"
                       : kind == Kind::Boolean ? "true or false"
                       : kind == Kind::Array   ? "a list"
                                               : "a number";
    error = (v ? "its \"" : "no \"") + std::string(name) + (v ? "\" is not " : "\"");
    if (v) error += type;
    return nullptr;
  }
  std::string text(const char* name) {
    const JsonValue* v = get(name, Kind::Text);
    return v ? v->text : std::string();
  }
  int64_t number(const char* name, bool nullable = false) {
    const JsonValue* v = get(name, Kind::Number, nullable);
    if (v && v->number < 0 && error.empty())
      error = std::string("its \"") + name + "\" is negative";
    return v && v->kind == Kind::Number ? v->number : -1;
  }
  bool boolean(const char* name) {
    const JsonValue* v = get(name, Kind::Boolean);
    return v && v->boolean;
  }
};

// A base's name as a run writes it: one plain name inside OUTDIR.
bool plain_name(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (unsigned char c : name)
    if (c == '/' || c < 0x20 || c == 0x7F) return false;
  return true;
}

FileState read_state(Line& line, const std::string& prefix) {
  FileState state;
  int64_t size = line.number((prefix + "_bytes_after").c_str(), true);
  int64_t inode = line.number((prefix + "_inode").c_str(), true);
  int64_t device = line.number((prefix + "_device").c_str(), true);
  int64_t mtime = line.number((prefix + "_mtime_ns").c_str(), true);
  state.exists = inode >= 0;
  int known_fields = (size >= 0) + (inode >= 0) + (device >= 0) + (mtime >= 0);
  if (known_fields % 4 != 0 && line.error.empty())
    line.error = "the state of its " + prefix + " file is known only in part";
  if (!state.exists) return state;
  state.size = size;
  state.inode = static_cast<uint64_t>(inode);
  state.device = static_cast<uint64_t>(device);
  state.mtime_ns = mtime;
  return state;
}

BaseFiles read_files(Line& line) {
  return {read_state(line, "record"), read_state(line, "description")};
}

JournalRun* run_named(JournalContents& journal, const std::string& id) {
  for (JournalRun& run : journal.runs)
    if (run.id == id) return &run;
  return nullptr;
}

// Reads one line into `journal`; empty, or why it is not a journal line.
std::string read_line(const JsonValue& object, size_t number, JournalContents& journal) {
  if (object.kind != Kind::Object) return "not an object";
  Line line{object, {}};
  std::string kind = line.text("kind");
  std::string id = line.text("run");
  if (!line.error.empty()) return line.error;
  JournalRun* run = run_named(journal, id);
  if (kind == "run") {
    if (run) return "a second line for run '" + id + "'";
    JournalRun read;
    read.line = number;
    read.id = id;
    read.time = line.number("time");
    if (const JsonValue* words = line.get("command", Kind::Array))
      for (const JsonValue& word : words->items) {
        if (word.kind != Kind::Text) return "its \"command\" is not a list of strings";
        read.command.push_back(word.text);
      }
    read.out_dir_device = static_cast<uint64_t>(line.number("outdir_device"));
    read.out_dir_inode = static_cast<uint64_t>(line.number("outdir_inode"));
    journal.runs.push_back(read);
    return line.error;
  }
  if (kind != "area" && kind != "undone" && kind != "undo") return "an unknown kind '" + kind + "'";
  if (!run) return "run '" + id + "', which no line before it starts";
  if (kind == "undo") {
    line.number("time");
    run->undone = true;
    return line.error;
  }
  std::string base = line.text("base");
  if (line.error.empty() && !plain_name(base))
    return "the base '" + escape_controls(base) + "' is not a name inside OUTDIR";
  if (kind == "undone") {
    line.number("time");
    for (JournalArea& area : journal.areas)
      if (area.run == id && area.base == base) area.undone = true;
    journal.latest[base] = read_files(line);
    return line.error;
  }
  JournalArea area;
  area.line = number;
  area.run = id;
  area.base = base;
  area.area = line.number("area");
  area.record_file_existed = line.boolean("record_file_existed");
  area.description_file_existed = line.boolean("description_file_existed");
  area.records_before = line.number("records_before", true);
  area.description_bytes_before = line.number("description_bytes_before", true);
  area.records_after = line.number("records_after", true);
  area.after = read_files(line);
  journal.latest[base] = area.after;
  journal.areas.push_back(area);
  return line.error;
}

}  // namespace

bool open_journal(Journal& journal, const std::string& out_dir, const Arguments& arguments,
                  std::string& error) {
  journal.path = out_dir + "/" + kJournalName;
  struct stat dir;
  if (sys_stat(out_dir.c_str(), &dir) < 0) {
    error = cannot("examine", out_dir, system_error);
    return false;
  }
  journal.fd = open_journal_file(journal.path, O_WRONLY | O_CREAT, error);
  if (journal.fd < 0) return false;
  int64_t now = sys_time();
  journal.run = std::to_string(now) + "-" + std::to_string(sys_getpid());
  std::string out;
  json_begin(out);
  json_text(out, "kind", "run");
  json_text(out, "run", journal.run);
  json_number(out, "time", now);
  json_texts(out, "command", command_words(arguments));
  json_number(out, "outdir_device", static_cast<int64_t>(dir.st_dev));
  json_number(out, "outdir_inode", static_cast<int64_t>(dir.st_ino));
  json_end(out);
  if (append_journal_line(journal.fd, journal.path, out, error)) return true;
  close_journal(journal);
  return false;
}

void journal_area(Journal* journal, int number, const std::string& base, const BaseFiles& before) {
  if (journal == nullptr || journal->fd < 0) return;
  std::string name = base.substr(base.rfind('/') + 1);
  std::string line = area_line(journal->run, number, name, before, base_files(base));
  std::string error;
  if (!append_journal_line(journal->fd, journal->path, line, error) && journal->failed.empty())
    journal->failed = error;
}

int open_journal_file(const std::string& path, int flags, std::string& error) {
  // Never through a link, and without waiting on a FIFO put in its place.
  int fd = sys_open(path.c_str(), flags | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) {
    error = cannot("open", path, system_error);
    return -1;
  }
  struct stat st;
  if (retry_interrupted([&] { return sys_fstat(fd, &st); }) == 0 && S_ISREG(st.st_mode)) return fd;
  error = "'" + path + "' is not a regular file";
  sys_close(fd);
  return -1;
}

bool append_journal_line(int fd, const std::string& path, const std::string& line,
                         std::string& error) {
  Output out;
  out.fd = fd;
  put(out, line);
  if (flush(out)) return true;
  error = cannot("write", path, out.error);
  return false;
}

void close_journal(Journal& journal) {
  if (journal.fd >= 0) sys_close(journal.fd);
  journal.fd = -1;
}

bool read_journal(std::string_view bytes, JournalContents& journal, std::string& error) {
  journal = JournalContents{};
  size_t number = 0;
  for (size_t at = 0; at < bytes.size();) {
    size_t end = bytes.find('\n', at);
    ++number;
    std::string why;
    JsonValue object;
    if (end == std::string_view::npos)
      why = "it is cut short (no line end)";
    else if (!parse_json_line(bytes.substr(at, end - at), object, why))
      why = "not JSON: " + why;
    else
      why = read_line(object, number, journal);
    if (!why.empty()) {
      error = "line " + std::to_string(number) + ": " + why;
      return false;
    }
    at = end + 1;
  }
  return true;
}

std::string undone_line(const std::string& run, const std::string& base, int64_t time,
                        const BaseFiles& now) {
  std::string out;
  json_begin(out);
  json_text(out, "kind", "undone");
  json_text(out, "run", run);
  json_text(out, "base", base);
  json_number(out, "time", time);
  state_fields(out, now);
  json_end(out);
  return out;
}

std::string undo_line(const std::string& run, int64_t time, int64_t undone, int64_t left) {
  std::string out;
  json_begin(out);
  json_text(out, "kind", "undo");
  json_text(out, "run", run);
  json_number(out, "time", time);
  json_number(out, "undone", undone);
  json_number(out, "left", left);
  json_end(out);
  return out;
}

}  // namespace tolv
