#include "tolvboard/journal_record.h"

#include "tolvboard/journal_frame.h"

namespace tolv {

namespace {

constexpr uint8_t kExists = 1;     // something is at the path
constexpr uint8_t kSizeKnown = 2;  // a regular file, its size known

struct Writer {
  std::string out;
  void u8(uint8_t v) { out += static_cast<char>(v); }
  void u32(uint32_t v) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
  }
  void u64(uint64_t v) {
    for (int i = 0; i < 8; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
  }
  void i64(int64_t v) { u64(static_cast<uint64_t>(v)); }
  void text(std::string_view v) {
    u32(static_cast<uint32_t>(v.size()));
    out.append(v);
  }
  void state(const FileState& s) {
    u8((s.exists ? kExists : 0) | (s.exists && s.size >= 0 ? kSizeKnown : 0));
    i64(s.size);
    u64(s.device);
    u64(s.inode);
    i64(s.mtime_ns);
  }
  void files(const BaseFiles& f) {
    state(f.records);
    state(f.descriptions);
  }
};

// Reads fields in order; once one does not fit, `ok` stays false.
struct Reader {
  std::string_view in;
  bool ok = true;
  bool take(size_t n, std::string_view& bytes) {
    if (!ok || in.size() < n) return ok = false;
    bytes = in.substr(0, n);
    in.remove_prefix(n);
    return true;
  }
  uint64_t unsigned_of(size_t width) {
    std::string_view bytes;
    uint64_t v = 0;
    if (take(width, bytes))
      for (size_t i = width; i-- > 0;) v = (v << 8) | static_cast<uint8_t>(bytes[i]);
    return v;
  }
  uint8_t u8() { return static_cast<uint8_t>(unsigned_of(1)); }
  uint32_t u32() { return static_cast<uint32_t>(unsigned_of(4)); }
  uint64_t u64() { return unsigned_of(8); }
  int64_t i64() { return static_cast<int64_t>(unsigned_of(8)); }
  std::string text() {
    uint32_t n = u32();
    std::string_view bytes;
    return take(n, bytes) ? std::string(bytes) : std::string();
  }
  FileState state() {
    FileState s;
    uint8_t flags = u8();
    s.exists = (flags & kExists) != 0;
    s.size = i64();
    s.device = u64();
    s.inode = u64();
    s.mtime_ns = i64();
    // A size known for no file, or a file of a negative size, is no state.
    if (flags > (kExists | kSizeKnown) || ((flags & kSizeKnown) != 0) != (s.size >= 0) ||
        ((flags & kSizeKnown) && !s.exists))
      ok = false;
    return s;
  }
  BaseFiles files() {
    BaseFiles f;
    f.records = state();
    f.descriptions = state();
    return f;
  }
  // Whether every byte was read and each field held.
  bool done() const { return ok && in.empty(); }
};

std::string framed(RecordType type, const Writer& w) {
  return frame_record(static_cast<uint8_t>(type), w.out);
}

}  // namespace

std::string encode(const RunRecord& r) {
  Writer w;
  w.u32(r.run);
  w.i64(r.time);
  w.u32(r.pid);
  w.u64(r.out_dir_device);
  w.u64(r.out_dir_inode);
  w.text(r.command);
  return framed(RecordType::Run, w);
}

std::string encode(const IntentRecord& r) {
  Writer w;
  w.u32(r.run);
  w.u32(r.area);
  w.text(r.base);
  w.text(r.listing);
  w.text(r.spelled);
  w.files(r.before);
  return framed(RecordType::Intent, w);
}

std::string encode(const OutcomeRecord& r) {
  Writer w;
  w.u32(r.run);
  w.u32(r.area);
  w.u8(static_cast<uint8_t>(r.ending));
  w.u32(static_cast<uint32_t>(r.status));
  w.i64(r.counted);
  w.u8(r.other_writer ? 1 : 0);
  w.files(r.after);
  return framed(RecordType::Outcome, w);
}

std::string encode(const UndoRecord& r) {
  Writer w;
  w.u32(r.run);
  w.i64(r.time);
  w.u32(r.pid);
  return framed(RecordType::Undo, w);
}

std::string encode(const UndoBaseRecord& r) {
  Writer w;
  w.u32(r.run);
  w.u32(r.area);
  w.i64(r.record_bytes);
  w.i64(r.description_bytes);
  return framed(RecordType::UndoBase, w);
}

std::string encode(const UndoneRecord& r) {
  Writer w;
  w.u32(r.run);
  w.u32(r.area);
  w.files(r.now);
  return framed(RecordType::Undone, w);
}

std::string encode(const UndoEndRecord& r) {
  Writer w;
  w.u32(r.run);
  w.i64(r.time);
  w.u32(r.undone);
  w.u32(r.left);
  return framed(RecordType::UndoEnd, w);
}

bool decode(std::string_view payload, RunRecord& r) {
  Reader in{payload};
  r.run = in.u32();
  r.time = in.i64();
  r.pid = in.u32();
  r.out_dir_device = in.u64();
  r.out_dir_inode = in.u64();
  r.command = in.text();
  return in.done() && r.run > 0;
}

bool decode(std::string_view payload, IntentRecord& r) {
  Reader in{payload};
  r.run = in.u32();
  r.area = in.u32();
  r.base = in.text();
  r.listing = in.text();
  r.spelled = in.text();
  r.before = in.files();
  return in.done() && !r.base.empty();
}

bool decode(std::string_view payload, OutcomeRecord& r) {
  Reader in{payload};
  r.run = in.u32();
  r.area = in.u32();
  uint8_t ending = in.u8();
  r.ending = static_cast<Ending>(ending);
  r.status = static_cast<int32_t>(in.u32());
  r.counted = in.i64();
  uint8_t other = in.u8();
  r.other_writer = other == 1;
  r.after = in.files();
  return in.done() && ending <= static_cast<uint8_t>(Ending::Interrupted) && other <= 1 &&
         r.counted >= -1;
}

bool decode(std::string_view payload, UndoRecord& r) {
  Reader in{payload};
  r.run = in.u32();
  r.time = in.i64();
  r.pid = in.u32();
  return in.done();
}

bool decode(std::string_view payload, UndoBaseRecord& r) {
  Reader in{payload};
  r.run = in.u32();
  r.area = in.u32();
  r.record_bytes = in.i64();
  r.description_bytes = in.i64();
  return in.done() && r.record_bytes >= -1 && r.description_bytes >= -1;
}

bool decode(std::string_view payload, UndoneRecord& r) {
  Reader in{payload};
  r.run = in.u32();
  r.area = in.u32();
  r.now = in.files();
  return in.done();
}

bool decode(std::string_view payload, UndoEndRecord& r) {
  Reader in{payload};
  r.run = in.u32();
  r.time = in.i64();
  r.undone = in.u32();
  r.left = in.u32();
  return in.done();
}

}  // namespace tolv
