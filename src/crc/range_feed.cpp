// Feeds the addresses of the requested ranges into a CRC in ascending order: the bytes handed
// in where records hold them, 0xFF for every other address.
#include "crc/range_feed.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "base/interrupt.h"
#include "base/messages.h"
#include "crc/crc_erased_run.h"
#include "crc/record_bytes.h"

namespace sumwright {

namespace {

// Bytes are collected in a chunk and go through the CRC a chunk at a time, so that its fast
// forms work on long runs.
constexpr size_t kChunkSize = 65536;

// Runs of 0xFF up to this length join the chunk; longer runs skip it and go through the
// erased-run maps, so their cost does not grow with their length.
constexpr uint64_t kShortErasedRun = 256;

void Flush(RangeFeed* feed) {
  UpdateCrc(&feed->state, feed->chunk.get(), feed->count);
  feed->count = 0;
}

void PushData(RangeFeed* feed, const char* digits, size_t digitCount, uint64_t byteCount) {
  if (byteCount <= kChunkSize - feed->count) {
    // The usual case: one record's bytes, and room for them.
    DecodeDataBytes(digits, digitCount, static_cast<size_t>(byteCount),
                    feed->chunk.get() + feed->count);
    feed->count += static_cast<size_t>(byteCount);
    return;
  }
  while (byteCount != 0) {
    if (feed->count == kChunkSize) {
      Flush(feed);
    }
    size_t room = kChunkSize - feed->count;
    size_t n = byteCount < room ? static_cast<size_t>(byteCount) : room;
    DecodeDataBytes(digits, digitCount, n, feed->chunk.get() + feed->count);
    feed->count += n;
    byteCount -= n;
    size_t used = std::min(2 * n, digitCount);
    digits += used;
    digitCount -= used;
  }
}

void PushErased(RangeFeed* feed, uint64_t byteCount) {
  if (byteCount <= kShortErasedRun) {
    if (kChunkSize - feed->count < byteCount) {
      Flush(feed);
    }
    std::memset(feed->chunk.get() + feed->count, 0xFF, static_cast<size_t>(byteCount));
    feed->count += static_cast<size_t>(byteCount);
    return;
  }
  Flush(feed);
  UpdateCrcErased(&feed->state, byteCount);
}

// The bytes of FeedBytes as digits to decode, and of FeedByteValues as values: Push feeds `count`
// of them from the `skip`th on.
struct DigitBytes {
  const char* digits;
  size_t digitCount;
  void Push(RangeFeed* feed, uint64_t skip, uint64_t count) const {
    size_t used = static_cast<size_t>(std::min<uint64_t>(2 * skip, digitCount));
    PushData(feed, digits + used, digitCount - used, count);
  }
};
struct ValueBytes {
  const uint8_t* bytes;
  void Push(RangeFeed* feed, uint64_t skip, uint64_t count) const {
    Flush(feed);
    UpdateCrc(&feed->state, bytes + skip, static_cast<size_t>(count));
  }
};

// Feeds the bytes at `start` to start + byteCount - 1 that lie in a range, and 0xFF for the range
// addresses between the last ones fed and `start`.
template <typename Bytes>
void FeedSpan(RangeFeed* feed, uint64_t start, uint64_t byteCount, const Bytes& bytes) {
  const std::vector<AddressRange>& ranges = *feed->ranges;
  const uint64_t end = start + byteCount;  // one past the last byte
  // The usual case: the bytes lie inside the range being fed.
  if (feed->rangeIndex < ranges.size()) {
    const AddressRange& range = ranges[feed->rangeIndex];
    const uint64_t rangeEnd = uint64_t{range.end} + 1;
    if (start >= range.start && end < rangeEnd) {
      uint64_t from = std::max<uint64_t>(range.start, feed->next);
      if (from < start) {
        PushErased(feed, start - from);
      }
      bytes.Push(feed, 0, byteCount);
      feed->next = end;
      return;
    }
  }
  while (feed->rangeIndex < ranges.size()) {
    const AddressRange& range = ranges[feed->rangeIndex];
    const uint64_t rangeEnd = uint64_t{range.end} + 1;
    uint64_t from = std::max<uint64_t>(range.start, feed->next);
    if (from >= end) {
      return;
    }
    if (from < start) {
      // Addresses of the range below the bytes: no record holds them.
      uint64_t erasedEnd = std::min(start, rangeEnd);
      PushErased(feed, erasedEnd - from);
      feed->next = erasedEnd;
      if (erasedEnd == rangeEnd) {
        ++feed->rangeIndex;
      }
      continue;
    }
    uint64_t to = std::min(end, rangeEnd);
    bytes.Push(feed, from - start, to - from);
    feed->next = to;
    if (to != rangeEnd) {
      return;
    }
    ++feed->rangeIndex;
  }
}

}  // namespace

bool StartRangeFeed(CrcAlgorithm algorithm, const std::vector<AddressRange>& ranges,
                    RangeFeed* feed) {
  if (!SelectAlgorithm(algorithm, &feed->state) || ranges.empty()) {
    return false;
  }
  feed->ranges = &ranges;
  feed->rangeIndex = 0;
  feed->next = 0;
  feed->count = 0;
  if (feed->chunk == nullptr) {
    feed->chunk.reset(new (std::nothrow) uint8_t[kChunkSize]);
    if (feed->chunk == nullptr) {
      ReportInternalError(kCrcMemory);
    }
  }
  return true;
}

void FeedBytes(RangeFeed* feed, uint64_t start, uint64_t byteCount, const char* digits,
               size_t digitCount) {
  FeedSpan(feed, start, byteCount, DigitBytes{digits, digitCount});
}

void FeedByteValues(RangeFeed* feed, uint64_t start, uint64_t byteCount, const uint8_t* bytes) {
  FeedSpan(feed, start, byteCount, ValueBytes{bytes});
}

bool FinishRangeFeed(RangeFeed* feed, uint32_t* crc) {
  const std::vector<AddressRange>& ranges = *feed->ranges;
  for (; feed->rangeIndex < ranges.size(); ++feed->rangeIndex) {
    PollInterrupt();
    const AddressRange& range = ranges[feed->rangeIndex];
    uint64_t from = std::max<uint64_t>(range.start, feed->next);
    PushErased(feed, uint64_t{range.end} + 1 - from);
  }
  Flush(feed);
  return TakeResult(feed->state, crc);
}

}  // namespace sumwright
