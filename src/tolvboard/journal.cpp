#include "tolvboard/journal.h"

#include <algorithm>

#include "companion/text.h"
#include "runtime/syscall.h"
#include "tolvboard/journal_frame.h"

namespace tolv {

namespace {

// Room for each area's records (an intent, an outcome, an undo's two and
// their file names), with what a long path needs.
constexpr int64_t kRoomPerArea = 4 * 1024;
constexpr int64_t kRoomPerRun = 64 * 1024;

struct Reading {
  JournalContents& journal;
  std::string error;

  bool refuse(const Frame& frame, std::string why) {
    error = "the record at byte " + std::to_string(frame.offset) + " " + why;
    return false;
  }

  JournalArea* area_of(uint32_t run, uint32_t area) {
    for (JournalArea& a : journal.areas)
      if (a.intent.run == run && a.intent.area == area) return &a;
    return nullptr;
  }

  bool read_run(const Frame& frame) {
    JournalRun run;
    run.offset = frame.offset;
    if (!decode(frame.payload, run.record)) return refuse(frame, "is no RUN record");
    uint32_t expected = static_cast<uint32_t>(journal.runs.size() + 1);
    if (run.record.run != expected)
      return refuse(frame, "starts run " + std::to_string(run.record.run) + ", not run " +
                               std::to_string(expected));
    journal.runs.push_back(std::move(run));
    return true;
  }

  void say(const JournalArea& area, LastWord word, const BaseFiles& files) {
    size_t index = static_cast<size_t>(&area - journal.areas.data());
    journal.last[area.intent.base] = {index, word, files};
  }

  bool read_intent(const Frame& frame) {
    JournalArea area;
    area.offset = frame.offset;
    if (!decode(frame.payload, area.intent)) return refuse(frame, "is no INTENT record");
    // A run writes intents for its own areas only, each once.
    if (journal.runs.empty() || area.intent.run != journal.runs.size())
      return refuse(frame, "is an intent of a run that is not the last one started");
    if (area_of(area.intent.run, area.intent.area) != nullptr)
      return refuse(frame, "is a second intent for area " + std::to_string(area.intent.area));
    journal.areas.push_back(std::move(area));
    say(journal.areas.back(), LastWord::Before, journal.areas.back().intent.before);
    return true;
  }

  bool read_outcome(const Frame& frame) {
    OutcomeRecord outcome;
    if (!decode(frame.payload, outcome)) return refuse(frame, "is no OUTCOME record");
    JournalArea* area = area_of(outcome.run, outcome.area);
    if (area == nullptr || area->has_outcome)
      return refuse(frame, "is an outcome of no intent before it");
    area->has_outcome = true;
    area->outcome = outcome;
    say(*area, LastWord::After, outcome.after);
    return true;
  }

  JournalRun* run_of(const Frame& frame, uint32_t run) {
    if (run == 0 || run > journal.runs.size()) {
      refuse(frame, "names run " + std::to_string(run) + ", which no record starts");
      return nullptr;
    }
    return &journal.runs[run - 1];
  }

  bool read_undo(const Frame& frame, RecordType type) {
    UndoRecord undo;
    UndoEndRecord end;
    bool decoded =
        type == RecordType::Undo ? decode(frame.payload, undo) : decode(frame.payload, end);
    if (!decoded) return refuse(frame, "is no UNDO or UNDO_END record");
    JournalRun* run = run_of(frame, type == RecordType::Undo ? undo.run : end.run);
    if (run == nullptr) return false;
    if (type == RecordType::Undo) run->undo_started = true;
    if (type == RecordType::UndoEnd) run->undone = run->undo_started;
    return run->undo_started || refuse(frame, "ends an undo that no record starts");
  }

  bool read_undo_base(const Frame& frame) {
    UndoBaseRecord undo;
    if (!decode(frame.payload, undo)) return refuse(frame, "is no UNDO_BASE record");
    JournalRun* run = run_of(frame, undo.run);
    JournalArea* area = area_of(undo.run, undo.area);
    if (run == nullptr) return false;
    if (area == nullptr || !run->undo_started)
      return refuse(frame, "undoes an area no undo of its run names");
    BaseFiles before_undo = journal.last[area->intent.base].files;
    area->undo_started = true;
    area->undo = undo;
    say(*area, LastWord::UndoStarted, before_undo);
    return true;
  }

  bool read_undone(const Frame& frame) {
    UndoneRecord undone;
    if (!decode(frame.payload, undone)) return refuse(frame, "is no UNDONE record");
    JournalArea* area = area_of(undone.run, undone.area);
    if (area == nullptr || !area->undo_started)
      return refuse(frame, "says an area is undone whose undo no record starts");
    area->undone = true;
    area->undone_state = undone.now;
    say(*area, LastWord::Undone, undone.now);
    return true;
  }

  bool read(const Frame& frame) {
    switch (static_cast<RecordType>(frame.type)) {
      case RecordType::Run:
        return read_run(frame);
      case RecordType::Intent:
        return read_intent(frame);
      case RecordType::Outcome:
        return read_outcome(frame);
      case RecordType::Undo:
      case RecordType::UndoEnd:
        return read_undo(frame, static_cast<RecordType>(frame.type));
      case RecordType::UndoBase:
        return read_undo_base(frame);
      case RecordType::Undone:
        return read_undone(frame);
    }
    return refuse(frame, "is of an unknown type " + std::to_string(frame.type));
  }
};

bool read_all(OutputFile& file, std::string& bytes) {
  int64_t size = output_size(file);
  if (size < 0) return false;
  bytes.assign(static_cast<size_t>(size), '\0');
  size_t got = 0;
  while (got < bytes.size()) {
    ssize_t n = retry_interrupted([&] {
      return sys_pread(file.fd, bytes.data() + got, bytes.size() - got, static_cast<off_t>(got));
    });
    if (n <= 0) {
      file.error = n < 0 ? cannot("read", file.path, system_error)
                         : quoted(file.path) + " shrank while it was read";
      return false;
    }
    got += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

bool read_journal(std::string_view bytes, JournalContents& journal, std::string& error) {
  journal = JournalContents{};
  FrameScan scan = scan_frames(bytes);
  if (!scan.damage.empty()) {
    error = scan.damage;
    return false;
  }
  journal.whole = scan.whole;
  journal.torn = scan.torn;
  // Areas are found by pointer while they are read: room for all at once.
  journal.areas.reserve(scan.frames.size());
  Reading reading{journal, {}};
  for (const Frame& frame : scan.frames)
    if (!reading.read(frame)) {
      error = reading.error;
      return false;
    }
  return true;
}

bool open_journal(Journal& journal, const std::string& out_dir, KeptFiles& kept,
                  JournalContents& contents, std::string& error) {
  std::string path = out_dir + "/" + kJournalName, bytes;
  if (!open_output(journal.file, path, OutputMode::Append, kept) ||
      !read_all(journal.file, bytes)) {
    error = journal.file.error;
    close_journal(journal, kept);
    return false;
  }
  std::string why;
  if (!read_journal(bytes, contents, why)) {
    error = quoted(path) + " is damaged: " + why;
    close_journal(journal, kept);
    return false;
  }
  // A torn end is no record: it goes, and a journal that was never begun
  // gets its mark.
  bool begun = contents.whole >= static_cast<int64_t>(kJournalMark.size());
  if ((contents.torn && !cut_output(journal.file, contents.whole)) ||
      (!begun && !append_durably(journal.file, kJournalMark))) {
    error = journal.file.error;
    close_journal(journal, kept);
    return false;
  }
  return true;
}

int64_t journal_room(size_t areas) {
  return kRoomPerRun + static_cast<int64_t>(areas) * kRoomPerArea;
}

bool journal_append(Journal& journal, const std::string& record) {
  if (!journal.failed.empty()) return false;
  if (append_durably(journal.file, record)) {
    journal.unsynced = false;
    return true;
  }
  journal.failed = journal.file.error;
  return false;
}

bool journal_append_later(Journal& journal, const std::string& record) {
  if (!journal.failed.empty()) return false;
  if (append_whole(journal.file, record)) {
    journal.unsynced = true;
    return true;
  }
  journal.failed = journal.file.error;
  return false;
}

bool close_journal(Journal& journal, KeptFiles& kept) {
  if (journal.file.fd < 0) return true;
  if (journal.unsynced && !sync_output(journal.file) && journal.failed.empty())
    journal.failed = journal.file.error;
  journal.unsynced = false;
  close_output(journal.file, kept);
  return journal.failed.empty();
}

}  // namespace tolv
