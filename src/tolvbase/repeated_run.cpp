#include "tolvbase/repeated_run.h"

#include <algorithm>
#include <functional>
#include <string_view>

namespace tolv {

namespace {

// Polynomial hashes modulo the prime 2^61 - 1: a power-of-two modulus lets
// some orders of records collide whatever the base.
constexpr uint64_t kModulus = (uint64_t{1} << 61) - 1;
constexpr uint64_t kRadix = 0x1d4b'7c35'a3f1'9e7bULL % kModulus;
constexpr uint64_t kFold = 0x9e37'79b9'7f4a'7c15ULL;  // odd: folding loses no bit

uint64_t times(uint64_t a, uint64_t b) {
  unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
  uint64_t folded =
      static_cast<uint64_t>(product & kModulus) + static_cast<uint64_t>(product >> 61);
  return folded >= kModulus ? folded - kModulus : folded;
}

uint64_t plus(uint64_t a, uint64_t b) {
  uint64_t sum = a + b;
  return sum >= kModulus ? sum - kModulus : sum;
}

uint64_t minus(uint64_t a, uint64_t b) {
  return a >= b ? a - b : a + kModulus - b;
}

uint64_t power(uint64_t base, int64_t exponent) {
  uint64_t result = 1;
  for (; exponent > 0; exponent >>= 1, base = times(base, base))
    if (exponent & 1) result = times(result, base);
  return result;
}

// The hash of records [first, first + count).
uint64_t run_hash(const RecordKeys& keys, int64_t first, int64_t count) {
  const std::vector<uint64_t>& prefix = keys.prefix;
  return minus(prefix[first + count], times(prefix[first], power(kRadix, count)));
}

uint64_t key_of(const RecordKeys& keys, int64_t record) {
  return minus(keys.prefix[record + 1], times(keys.prefix[record], kRadix));
}

// The most last records, at most `most`, that equal the records `distance`
// before them. A run that matches ends in a shorter one that matches, so
// the longest is found by halving.
int64_t matching_tail(const RecordKeys& keys, int64_t records, int64_t distance, int64_t most) {
  int64_t low = 0, high = most;
  while (low < high) {
    int64_t mid = low + (high - low + 1) / 2;
    if (run_hash(keys, records - mid, mid) == run_hash(keys, records - mid - distance, mid))
      low = mid;
    else
      high = mid - 1;
  }
  return low;
}

bool same_records(const RecordKeys& keys, int64_t a, int64_t b, int64_t count) {
  for (int64_t i = 0; i < count; ++i)
    if (key_of(keys, a + i) != key_of(keys, b + i)) return false;
  return true;
}

}  // namespace

void add_record_key(RecordKeys& keys, const FileRecord& record, const Description& description) {
  // Each field hashed where it lies, the hashes folded in order: a line's
  // length is in its hash, so lines cannot trade bytes.
  std::hash<std::string_view> hash;
  uint64_t key = hash(record.FileName.view());
  auto fold = [&](uint64_t value) { key = (key ^ value) * kFold; };
  fold(static_cast<uint32_t>(record.Size));
  fold(record.DateTime);
  fold(description.lines.size());
  for (const std::string& line : description.lines) fold(hash(line) + line.size());
  keys.prefix.push_back(plus(times(keys.prefix.back(), kRadix), key % kModulus));
}

RepeatedRun find_repeated_run(const RecordKeys& keys) {
  int64_t records = static_cast<int64_t>(keys.prefix.size()) - 1;
  RepeatedRun best;
  if (records < 2) return best;
  // A repeat ends with the last record: each earlier record like it gives
  // the distance back to where the repeated records are.
  uint64_t last = key_of(keys, records - 1);
  int64_t same_as_last = 1;  // the last records that are all one record
  while (same_as_last < records && key_of(keys, records - 1 - same_as_last) == last) ++same_as_last;
  for (int64_t at = 0; at < records - 1; ++at) {
    if (key_of(keys, at) != last) continue;
    int64_t distance = records - 1 - at;
    int64_t length = matching_tail(keys, records, distance, std::min(distance, records - distance));
    int64_t first = records - length;
    int64_t source = first - distance;
    // One record appended again and again is the repeated-name note, but
    // for a base of one record converted twice.
    if ((records == 2 || length > same_as_last) && length > best.length)
      best = {first, source, length};
  }
  // The hashes found it; the records' own keys confirm it, once.
  if (best.first >= 0 && !same_records(keys, best.first, best.source, best.length)) return {};
  return best;
}

}  // namespace tolv
