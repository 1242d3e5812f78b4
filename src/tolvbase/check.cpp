#include "tolvbase/check.h"

#include <algorithm>

#include "tolvbase/record_cursor.h"
#include "tolvbase/record_doubts.h"

namespace tolv {

namespace {

// A range of description bytes some record points at.
struct Span {
  int64_t begin;
  int64_t end;
};

// Keeps the spans short for the usual base, whose records point at one run
// of lines after another: a span that starts inside or right after the last
// one extends it.
void add_span(std::vector<Span>& spans, Span span) {
  if (span.begin >= span.end) return;
  if (!spans.empty() && span.begin >= spans.back().begin && span.begin <= spans.back().end) {
    spans.back().end = std::max(spans.back().end, span.end);
    return;
  }
  spans.push_back(span);
}

void note_unreferenced(std::vector<Span>& spans, int64_t size, std::vector<Finding>& findings) {
  std::sort(spans.begin(), spans.end(),
            [](const Span& a, const Span& b) { return a.begin < b.begin; });
  int64_t covered = 0;  // every byte before this one is referenced
  auto gap = [&](int64_t begin, int64_t end) {
    if (begin >= end) return;
    findings.push_back({FindingKind::UnreferencedBytes, -1,
                        "description bytes " + std::to_string(begin) + "-" +
                            std::to_string(end - 1) + " (" + std::to_string(end - begin) +
                            " bytes) belong to no record (an entry whose record was never "
                            "written); the next conversion leaves them in place"});
  };
  for (const Span& span : spans) {
    gap(covered, span.begin);
    covered = std::max(covered, span.end);
  }
  gap(covered, size);
}

std::string past_capacity(const char* field, int length, int capacity) {
  return std::string(field) + " length byte " + std::to_string(length) +
         " is past its capacity of " + std::to_string(capacity);
}

}  // namespace

bool is_problem(FindingKind kind) {
  return kind != FindingKind::TrailingFragment && kind != FindingKind::UnreferencedBytes &&
         !is_doubt(kind);
}

void check_record(const FileRecord& record, int64_t number, const Description& description,
                  int64_t description_size, std::vector<Finding>& findings) {
  auto problem = [&](FindingKind kind, std::string text) {
    findings.push_back({kind, number, std::move(text)});
  };
  if (record.FileName.length > kFileNameCapacity)
    problem(FindingKind::FileNameTooLong,
            past_capacity("FileName", record.FileName.length, kFileNameCapacity));
  if (record.Origin.length > kOriginCapacity)
    problem(FindingKind::OriginTooLong,
            past_capacity("Origin", record.Origin.length, kOriginCapacity));
  if (record.DescLines == 0) problem(FindingKind::NoDescLines, "DescLines is 0");
  std::string size = std::to_string(description_size);
  switch (description.state) {
    case DescriptionState::NegativePointer:
      problem(FindingKind::NegativeDescPtr,
              "DescPtr " + std::to_string(record.DescPtr) + " is negative");
      break;
    case DescriptionState::PointerOutside:
      problem(FindingKind::DescPtrOutside, "DescPtr " + std::to_string(record.DescPtr) +
                                               " lies outside the description file (" + size +
                                               " bytes)");
      break;
    case DescriptionState::PastEnd:
      problem(FindingKind::DescriptionPastEnd,
              "description line " + std::to_string(description.lines.size() + 1) + " of " +
                  std::to_string(record.DescLines) + " (from byte " +
                  std::to_string(description.end) +
                  ") runs past the end of the description file (" + size + " bytes)");
      break;
    case DescriptionState::Whole:
    case DescriptionState::ReadFailed:
      break;
  }
}

CheckResult check_base(Base& base) {
  CheckResult result;
  result.records = record_count(base);
  result.description_bytes = base.descriptions.size;
  RecordCursor cursor = record_cursor(base);
  DescriptionReader reader = description_reader(base);
  std::vector<Span> spans;
  RecordDoubts doubts;
  while (const uint8_t* bytes = next_record(cursor)) {
    int64_t number = cursor.next - 1;
    FileRecord record = decode_record(bytes);
    Description description = read_description(reader, record.DescPtr, record.DescLines);
    if (description.state == DescriptionState::ReadFailed) {
      result.read_failed = true;
      result.error = base.descriptions.error;
      return result;
    }
    check_record(record, number, description, result.description_bytes, result.findings);
    doubt_record(doubts, record, number, result.findings);
    int64_t end =
        description.state == DescriptionState::PastEnd ? result.description_bytes : description.end;
    add_span(spans, {record.DescPtr, end});
  }
  if (!base.records.error.empty()) {
    result.read_failed = true;
    result.error = base.records.error;
    return result;
  }
  if (int64_t fragment = fragment_size(base); fragment > 0)
    result.findings.push_back(
        {FindingKind::TrailingFragment, -1,
         "the record file ends in a fragment of " + std::to_string(fragment) + " bytes after its " +
             std::to_string(result.records) +
             " whole records (a record write cut short); the next conversion writes over it"});
  note_unreferenced(spans, result.description_bytes, result.findings);
  for (const Finding& finding : result.findings) {
    ++(is_problem(finding.kind) ? result.problems : result.notes);
    if (is_doubt(finding.kind)) ++result.doubts;
  }
  return result;
}

}  // namespace tolv
