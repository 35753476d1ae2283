// The CRC over the requested address ranges of the scanned image.
#include "crc/crc_engine.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "base/interrupt.h"
#include "base/messages.h"
#include "crc/crc_algorithms.h"
#include "crc/crc_erased_run.h"
#include "crc/image_segments.h"
#include "crc/record_bytes.h"

namespace sumwright {

namespace {

// Internal error for exhausted memory: the engine's module and place.
constexpr int kEngineModule = 4;
constexpr int kAllocationFailed = 65;

// Bytes are collected in a chunk and go through the CRC a chunk at a time.
constexpr size_t kChunkSize = 65536;

// Runs of 0xFF up to this length join the chunk; longer runs skip it and go through the
// erased-run maps, so their cost does not grow with their length.
constexpr uint64_t kShortErasedRun = 256;

struct ChunkedCrc {
  CrcState state;
  std::vector<uint8_t> chunk;
  size_t count = 0;  // bytes held in the chunk
};

// Feeds the bytes held and empties the chunk.
void Flush(ChunkedCrc* crc) {
  PollInterrupt();
  UpdateCrc(&crc->state, crc->chunk.data(), crc->count);
  crc->count = 0;
}

// Feeds `byteCount` bytes decoded from `digits` (`digitCount` characters).
void PushData(ChunkedCrc* crc, const char* digits, size_t digitCount, uint64_t byteCount) {
  while (byteCount != 0) {
    if (crc->count == kChunkSize) {
      Flush(crc);
    }
    size_t room = kChunkSize - crc->count;
    size_t n = byteCount < room ? static_cast<size_t>(byteCount) : room;
    DecodeDataBytes(digits, digitCount, n, crc->chunk.data() + crc->count);
    crc->count += n;
    byteCount -= n;
    size_t used = std::min(2 * n, digitCount);
    digits += used;
    digitCount -= used;
  }
}

// Feeds `byteCount` bytes of 0xFF, the value of every address no record holds.
void PushErased(ChunkedCrc* crc, uint64_t byteCount) {
  if (byteCount <= kShortErasedRun) {
    if (kChunkSize - crc->count < byteCount) {
      Flush(crc);
    }
    std::memset(crc->chunk.data() + crc->count, 0xFF, static_cast<size_t>(byteCount));
    crc->count += static_cast<size_t>(byteCount);
    return;
  }
  Flush(crc);
  UpdateCrcErased(&crc->state, byteCount);
}

// Feeds every address of `ranges`, in their order, from the image of `cursor`.
void WalkRanges(const std::vector<AddressRange>& ranges, ImageCursor* cursor, ChunkedCrc* crc) {
  ImageSegment segment{};
  bool haveSegment = NextSegment(cursor, &segment);
  uint64_t walkedTo = 0;  // one above the last address fed
  for (const AddressRange& range : ranges) {
    PollInterrupt();
    uint64_t address = range.start;
    uint64_t end = range.end;
    // The segments are handed out in ascending order; a range that reaches back below what was
    // already walked starts again from the lowest.
    if (address < walkedTo) {
      RewindImage(cursor);
      haveSegment = NextSegment(cursor, &segment);
    }
    while (address <= end) {
      while (haveSegment && segment.end < address) {
        haveSegment = NextSegment(cursor, &segment);
      }
      if (!haveSegment || segment.start > end) {
        PushErased(crc, end - address + 1);
        break;
      }
      if (segment.start > address) {
        PushErased(crc, segment.start - address);
        address = segment.start;
      }
      uint64_t last = std::min(segment.end, end);
      uint64_t skip = std::min<uint64_t>(2 * (address - segment.start), segment.digitCount);
      PushData(crc, segment.digits + skip, segment.digitCount - static_cast<size_t>(skip),
               last - address + 1);
      address = last + 1;
    }
    walkedTo = std::max(walkedTo, end + 1);
  }
}

}  // namespace

bool CrcEngine::Compute(CrcAlgorithm algorithm, const HexFile& file,
                        const std::vector<AddressRange>& ranges, uint32_t* crc) {
  ChunkedCrc chunked;
  if (!SelectAlgorithm(algorithm, &chunked.state) || ranges.empty()) {
    return false;
  }
  ImageCursor cursor;
  if (!OpenImage(file, &cursor)) {
    return false;
  }
  // The chunk, a sorted copy of the ranges and the segments of an image out of order are the
  // only memory taken here; without it the run ends with the engine's internal error.
  try {
    // The addresses are fed in ascending order of the range starts.
    auto byStart = [](const AddressRange& a, const AddressRange& b) { return a.start < b.start; };
    std::vector<AddressRange> sorted;
    const std::vector<AddressRange>* walked = &ranges;
    if (!std::is_sorted(ranges.begin(), ranges.end(), byStart)) {
      sorted = ranges;
      std::stable_sort(sorted.begin(), sorted.end(), byStart);
      walked = &sorted;
    }
    chunked.chunk.resize(kChunkSize);
    // Usually the data records ascend in file order and one walk through them in place is all;
    // when one of them does not, the walk starts again over segments sorted once.
    WalkRanges(*walked, &cursor, &chunked);
    if (!RestInOrder(&cursor)) {
      SortImage(&cursor);
      SelectAlgorithm(algorithm, &chunked.state);
      chunked.count = 0;
      WalkRanges(*walked, &cursor, &chunked);
    }
  } catch (const std::bad_alloc&) {
    ReportInternalError(kEngineModule, kAllocationFailed);
  }
  Flush(&chunked);
  return TakeResult(chunked.state, crc);
}

}  // namespace sumwright
