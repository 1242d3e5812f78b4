#include "tolvbase/check.h"

#include <algorithm>
#include <limits>

#include "companion/text.h"
#include "filebase/description_lines.h"
#include "listing/entry.h"
#include "tolvbase/base_walk.h"
#include "tolvbase/record_doubts.h"
#include "tolvbase/repeated_run.h"

namespace tolv {

namespace {

// Notes of one kind shown one by one before the rest are only summed up.
constexpr int64_t kNotesShownPerKind = 3;

// The longest description a record can point at: 255 lines of 1 + 255 bytes.
constexpr int64_t kLongestDescription = 255 * (1 + kMaxStoredLine);

// The description bytes of one record, [begin, end). Twelve bytes a record:
// DescPtr is a 32-bit offset and a description is shorter than 64 KiB.
struct Span {
  uint32_t begin;
  uint32_t end;
  uint32_t record;
};

std::string range_text(int64_t begin, int64_t end) {
  return std::to_string(begin) + "-" + std::to_string(end - 1);
}

// "records 6-11", or "record 1".
std::string records_text(int64_t begin, int64_t end) {
  if (end - begin == 1) return "record " + std::to_string(begin);
  return "records " + range_text(begin, end);
}

std::string past_capacity(const char* field, int length, int capacity) {
  return std::string(field) + " length byte " + std::to_string(length) +
         " is past its capacity of " + std::to_string(capacity);
}

// The notes of single records that are summed up after the first few, with
// what the summing note says of the records it counts.
struct SummedNote {
  FindingKind kind;
  const char* records_that;
};
constexpr SummedNote kSummedNotes[] = {
    {FindingKind::LongDescLine, "hold description lines longer than 50 characters"},
    {FindingKind::RuleName, "have an empty name or one of rule characters only"},
    {FindingKind::ImpossibleDate, "hold an impossible date"},
    {FindingKind::RepeatedName, "repeat the name of an earlier record"},
    {FindingKind::OtherCaseName, "repeat an earlier name in other letter cases"},
};
constexpr size_t kSummedKinds = sizeof kSummedNotes / sizeof kSummedNotes[0];

// Hands findings on to the sink and keeps the counts; after
// kNotesShownPerKind notes of a kind it counts the rest (and their bytes).
struct Reporter {
  const FindingSink& sink;
  CheckResult& result;
  int64_t shown[kSummedKinds] = {};
  int64_t shown_gaps = 0;
  int64_t hidden_gaps = 0;
  int64_t hidden_gap_bytes = 0;

  void report(const Finding& finding) {
    ++(is_problem(finding.kind) ? result.problems : result.notes);
    if (is_doubt(finding.kind)) ++result.doubts;
    for (size_t i = 0; i < kSummedKinds; ++i)
      if (finding.kind == kSummedNotes[i].kind && shown[i]++ >= kNotesShownPerKind) return;
    sink(finding);
  }

  void gap(int64_t begin, int64_t end) {
    if (begin >= end) return;
    ++result.notes;
    if (shown_gaps++ >= kNotesShownPerKind) {
      ++hidden_gaps;
      hidden_gap_bytes += end - begin;
      return;
    }
    sink({FindingKind::UnreferencedBytes, -1,
          "description bytes " + range_text(begin, end) + " (" + std::to_string(end - begin) +
              " bytes) belong to no record (an entry whose record was never written); the next "
              "conversion leaves them in place"});
  }

  void sum_up() {
    for (size_t i = 0; i < kSummedKinds; ++i)
      if (int64_t hidden = shown[i] - kNotesShownPerKind; hidden > 0)
        sink({kSummedNotes[i].kind, -1,
              "notes of this kind not shown: " + std::to_string(hidden) + " (records that " +
                  kSummedNotes[i].records_that + ")"});
    if (hidden_gaps > 0)
      sink({FindingKind::UnreferencedBytes, -1,
            std::to_string(hidden_gaps) + " more runs of description bytes (" +
                std::to_string(hidden_gap_bytes) + " bytes) belong to no record; " +
                std::to_string(shown_gaps) +
                " such runs mean that records were lost (for instance by two conversions "
                "writing the base at once), not that one conversion was cut short"});
  }
};

void sort_spans(std::vector<Span>& spans) {
  auto by_place = [](const Span& a, const Span& b) {
    return a.begin != b.begin ? a.begin < b.begin : a.record < b.record;
  };
  // A base written by one conversion after another is in order already.
  if (!std::is_sorted(spans.begin(), spans.end(), by_place))
    std::sort(spans.begin(), spans.end(), by_place);
}

// Over spans sorted by where they start: a span that starts before the
// furthest end seen so far shares bytes with the record that reached it.
void report_overlaps(const std::vector<Span>& spans, Reporter& reporter) {
  const Span* reach = nullptr;  // the span that reaches furthest so far
  for (const Span& span : spans) {
    if (reach != nullptr && span.begin < reach->end)
      reporter.report({FindingKind::SharedDescription, span.record,
                       "its description (bytes " + range_text(span.begin, span.end) +
                           ") overlaps that of record " + std::to_string(reach->record) +
                           " (bytes " + range_text(reach->begin, reach->end) +
                           "): one of them shows text that is not its own"});
    if (reach == nullptr || span.end > reach->end) reach = &span;
  }
}

// Over spans sorted by where they start: the bytes no span covers.
void report_gaps(const std::vector<Span>& spans, int64_t size, Reporter& reporter) {
  int64_t covered = 0;  // every byte before this one is referenced
  for (const Span& span : spans) {
    reporter.gap(covered, span.begin);
    covered = std::max<int64_t>(covered, span.end);
  }
  reporter.gap(covered, size);
}

void report_repeat(const RecordKeys& keys, const ReadOnlyBase& base, Reporter& reporter) {
  RepeatedRun repeat = find_repeated_run(keys);
  if (repeat.first < 0) return;
  ++reporter.result.repeats;
  reporter.report(
      {FindingKind::RepeatedRun, -1,
       records_text(repeat.first, repeat.first + repeat.length) +
           (repeat.length == 1 ? " repeats " : " repeat ") +
           records_text(repeat.source, repeat.source + repeat.length) +
           " one for one (names, sizes, dates and descriptions): a listing converted twice, as "
           "without -DUPE; 'tolvbase truncate " +
           escape_controls(base.records.path) + " " + std::to_string(repeat.first) +
           "' removes the repeat"});
}

}  // namespace

void check_record(const FileRecord& record, int64_t number, const Description& description,
                  int64_t description_size, std::vector<Finding>& findings) {
  auto add = [&](FindingKind kind, std::string text) {
    findings.push_back({kind, number, std::move(text)});
  };
  if (record.FileName.length > kFileNameCapacity)
    add(FindingKind::FileNameTooLong,
        past_capacity("FileName", record.FileName.length, kFileNameCapacity));
  if (record.Origin.length > kOriginCapacity)
    add(FindingKind::OriginTooLong, past_capacity("Origin", record.Origin.length, kOriginCapacity));
  if (record.DescLines == 0) add(FindingKind::NoDescLines, "DescLines is 0");
  std::string size = std::to_string(description_size);
  switch (description.state) {
    case DescriptionState::NegativePointer:
      add(FindingKind::NegativeDescPtr,
          "DescPtr " + std::to_string(record.DescPtr) + " is negative");
      break;
    case DescriptionState::PointerOutside:
      add(FindingKind::DescPtrOutside, "DescPtr " + std::to_string(record.DescPtr) +
                                           " lies outside the description file (" + size +
                                           " bytes)");
      break;
    case DescriptionState::PastEnd:
      add(FindingKind::DescriptionPastEnd,
          "description line " + std::to_string(description.lines.size() + 1) + " of " +
              std::to_string(record.DescLines) + " (from byte " + std::to_string(description.end) +
              ") runs past the end of the description file (" + size + " bytes)");
      break;
    case DescriptionState::Whole:
    case DescriptionState::ReadFailed:
      break;
  }
  for (size_t i = 0; i < description.lines.size(); ++i) {
    size_t length = description.lines[i].size();
    if (length <= kDescLineCapacity) continue;
    add(FindingKind::LongDescLine, "description line " + std::to_string(i + 1) + " has " +
                                       std::to_string(length) +
                                       " characters; tolvconv never writes more than 50");
    break;  // one note a record
  }
}

CheckResult check_base(ReadOnlyBase& base, const FindingSink& sink) {
  CheckResult result;
  Reporter reporter{sink, result};
  result.records = record_count(base);
  result.description_bytes = base.descriptions.size;
  BaseWalk walk = walk_base(base);
  StoredRecord stored;
  std::vector<Span> spans;
  std::vector<Finding> findings;
  RecordDoubts doubts;
  RecordKeys keys;
  while (next_stored_record(walk, stored)) {
    int64_t number = stored.number;
    const FileRecord& record = stored.record;
    const Description& description = stored.description;
    findings.clear();
    check_record(record, number, description, result.description_bytes, findings);
    doubt_record(doubts, record, number, findings);
    add_record_key(keys, record, description);
    for (const Finding& finding : findings) reporter.report(finding);
    bool points_inside = description.state == DescriptionState::Whole ||
                         description.state == DescriptionState::PastEnd;
    // Record numbers of 2^32 and up (a record file of 480 GiB) are not
    // tracked for the overlap and gap checks.
    if (points_inside && number <= std::numeric_limits<uint32_t>::max()) {
      int64_t end = description.state == DescriptionState::PastEnd ? result.description_bytes
                                                                   : description.end;
      end = std::min<int64_t>(end, int64_t{record.DescPtr} + kLongestDescription);
      if (end > record.DescPtr)
        spans.push_back({static_cast<uint32_t>(record.DescPtr), static_cast<uint32_t>(end),
                         static_cast<uint32_t>(number)});
    }
  }
  if (!walk.error.empty()) {
    result.read_failed = true;
    result.error = walk.error;
    return result;
  }
  sort_spans(spans);
  report_overlaps(spans, reporter);
  report_repeat(keys, base, reporter);
  if (int64_t fragment = fragment_size(base); fragment > 0)
    reporter.report(
        {FindingKind::TrailingFragment, -1,
         "the record file ends in a fragment of " + std::to_string(fragment) + " bytes after its " +
             std::to_string(result.records) +
             " whole records (a record write cut short); the next conversion writes over it"});
  report_gaps(spans, result.description_bytes, reporter);
  reporter.sum_up();
  return result;
}

}  // namespace tolv
