// The CRC of an image whose data records do not ascend: the input is read again, its records
// are sorted by address, and their bytes are fed in that order.
//
// The first reading indexes runs: data records that follow each other in the file, each
// starting right after the one before ends. A run is kept as its address span and the stretch
// of the file that holds it, so an image of a few blocks written out of order costs a few
// entries however large it is. The runs, ranked by their place in the file, become disjoint
// segments (the earliest run owns an address that several hold), and each segment's bytes are
// read again from the file where its run lies.
#include "crc/out_of_order.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <new>
#include <type_traits>

#include "base/interrupt.h"
#include "base/messages.h"
#include "crc/data_record.h"
#include "crc/image_segments.h"
#include "crc/range_feed.h"
#include "input/input_scan.h"
#include "input/intel_hex_reader.h"

namespace sumwright {

namespace {

constexpr uint64_t kTopAddress = 0xFFFFFFFFu;
constexpr size_t kPollInterval = 4096;

// Records that continue each other, and where they lie in the file.
struct Run {
  uint32_t start;              // address of the run's first byte
  uint64_t byteCount;          // bytes of all its records
  uint64_t fileOffset;         // where the first record's line starts
  uint64_t fileEnd;            // where the last record's line ends, its line end included
  ExtendedAddressState state;  // the extended address in effect at the first record
  bool wraps;                  // one record whose span runs past 0xFFFFFFFF; nothing continues it
};

[[noreturn]] void InputChanged() {
  ReportInternalError(kInputScan);
}

template <typename Line>
const std::vector<Line>& LinesOf(const ScanBatch& batch);
template <>
const std::vector<IntelHexLine>& LinesOf<IntelHexLine>(const ScanBatch& batch) {
  return batch.intelHexLines;
}
template <>
const std::vector<SRecordLine>& LinesOf<SRecordLine>(const ScanBatch& batch) {
  return batch.sRecordLines;
}

uint64_t OffsetOf(const ScanBatch& batch, const char* text) {
  return batch.fileOffset + static_cast<uint64_t>(text - batch.begin);
}

// Where the line of `line` ends in the input, its line end included. A stretch read again must
// end there: cut after the text, a carriage return that ends the text (a line ending in two of
// them) would be taken for the line end of the stretch's last line.
template <typename Line>
uint64_t LineEndOf(const ScanBatch& batch, const Line& line) {
  const char* after = line.text + line.length;
  size_t rest = static_cast<size_t>(batch.end - after);
  size_t lineEnd = 0;
  if (rest >= 2 && after[0] == '\r' && after[1] == '\n') {
    lineEnd = 2;
  } else if (rest >= 1 && (after[0] == '\n' || after[0] == '\r')) {
    lineEnd = 1;
  }
  return OffsetOf(batch, after) + lineEnd;
}

// Indexes the runs of the whole input; false when the input no longer scans.
template <typename Line>
bool IndexRuns(ByteSource* source, FileFormat format, std::vector<Run>* runs,
               uint64_t* dataRecords) {
  InputScan scan;
  OpenStretchScan(source, format, 0, source->position, ExtendedAddressState{}, &scan);
  ScanBatch batch;
  ExtendedAddressState state;
  DataRecord record;
  while (ScanInput(&scan, &batch)) {
    for (const Line& line : LinesOf<Line>(batch)) {
      if constexpr (std::is_same_v<Line, IntelHexLine>) {
        FollowAddressRecord(line, &state);
      }
      if (!ReadDataRecord(line, &record)) {
        continue;
      }
      ++*dataRecords;
      uint64_t lineEnd = LineEndOf(batch, line);
      uint64_t end = uint64_t{record.start} + record.byteCount;
      bool wraps = end > kTopAddress + 1;
      if (!runs->empty()) {
        Run& last = runs->back();
        if (!last.wraps && !wraps && uint64_t{last.start} + last.byteCount == record.start) {
          last.byteCount += record.byteCount;
          last.fileEnd = lineEnd;
          continue;
        }
      }
      runs->push_back(
          Run{record.start, record.byteCount, OffsetOf(batch, line.text), lineEnd, state, wraps});
    }
  }
  return !scan.failed;
}

// The pieces for BuildSegments: one per run, two for a run past the top address.
std::vector<SegmentEntry> RunPieces(const std::vector<Run>& runs) {
  std::vector<SegmentEntry> pieces;
  pieces.reserve(runs.size() + 1);
  for (size_t i = 0; i < runs.size(); ++i) {
    const Run& run = runs[i];
    uint64_t last = uint64_t{run.start} + run.byteCount - 1;
    if (last <= kTopAddress) {
      pieces.push_back(SegmentEntry{run.start, static_cast<uint32_t>(last), i, 0});
    } else {
      pieces.push_back(SegmentEntry{run.start, static_cast<uint32_t>(kTopAddress), i, 0});
      uint32_t below = static_cast<uint32_t>(kTopAddress - run.start + 1);
      pieces.push_back(SegmentEntry{0, static_cast<uint32_t>(last - kTopAddress - 1), i, below});
    }
  }
  return pieces;
}

// True when some range holds an address of first..last.
bool TouchesRanges(const std::vector<AddressRange>& ranges, uint32_t first, uint32_t last) {
  auto after = std::upper_bound(
      ranges.begin(), ranges.end(), last,
      [](uint32_t address, const AddressRange& range) { return address < range.start; });
  return after != ranges.begin() && std::prev(after)->end >= first;
}

// Reads the bytes of runs again, record by record, and feeds them. Consecutive requests for one
// run continue where the last one stopped.
template <typename Line>
struct RunReader {
  ByteSource* source = nullptr;
  FileFormat format = NoFormat;
  const std::vector<Run>* runs = nullptr;
  size_t run = SIZE_MAX;
  InputScan scan;
  ScanBatch batch;
  size_t index = 0;     // the record of the batch under the reader
  uint64_t before = 0;  // bytes of the run in the records before it

  void Open(size_t which) {
    const Run& r = (*runs)[which];
    OpenStretchScan(source, format, r.fileOffset, r.fileEnd, r.state, &scan);
    batch.intelHexLines.clear();
    batch.sRecordLines.clear();
    run = which;
    index = 0;
    before = 0;
  }

  // Feeds `count` bytes of run `which` from its byte `offset` on, which lie at `address` on.
  void Feed(size_t which, uint64_t offset, uint64_t count, uint64_t address, RangeFeed* feed) {
    if (which != run || offset < before) {
      Open(which);
    }
    const Run& r = (*runs)[which];
    const uint64_t wanted = offset + count;
    DataRecord record;
    while (before < wanted) {
      const std::vector<Line>& lines = LinesOf<Line>(batch);
      if (index == lines.size()) {
        index = 0;
        if (!ScanInput(&scan, &batch)) {
          InputChanged();
        }
        continue;
      }
      if (!ReadDataRecord(lines[index], &record)) {
        ++index;
        continue;
      }
      // The record must be the one the index was built from.
      if (record.start != static_cast<uint32_t>(r.start + before)) {
        InputChanged();
      }
      uint64_t recordEnd = before + record.byteCount;
      if (recordEnd > offset) {
        uint64_t from = std::max(before, offset);
        uint64_t to = std::min(recordEnd, wanted);
        uint64_t skip = std::min<uint64_t>(2 * (from - before), record.digits.size());
        FeedBytes(feed, address + (from - offset), to - from, record.digits.data() + skip,
                  record.digits.size() - static_cast<size_t>(skip));
      }
      if (recordEnd > wanted) {
        return;  // the next request may go on inside this record
      }
      before = recordEnd;
      ++index;
    }
  }
};

template <typename Line>
bool ComputeFor(ByteSource* source, FileFormat format, CrcAlgorithm algorithm,
                const std::vector<AddressRange>& ranges, uint64_t expectedRecords, uint32_t* crc) {
  RangeFeed feed;
  if (!StartRangeFeed(algorithm, ranges, &feed)) {
    return false;
  }
  std::vector<Run> runs;
  std::vector<SegmentEntry> segments;
  try {
    uint64_t dataRecords = 0;
    if (!IndexRuns<Line>(source, format, &runs, &dataRecords) || dataRecords != expectedRecords ||
        !SourceUnchanged(*source)) {
      InputChanged();
    }
    segments = BuildSegments(RunPieces(runs));
  } catch (const std::bad_alloc&) {
    ReportInternalError(kCrcMemory);
  }
  RunReader<Line> reader;
  reader.source = source;
  reader.format = format;
  reader.runs = &runs;
  for (size_t i = 0; i < segments.size(); ++i) {
    if (i % kPollInterval == 0) {
      PollInterrupt();
    }
    const SegmentEntry& segment = segments[i];
    if (!TouchesRanges(ranges, segment.start, segment.end)) {
      continue;
    }
    reader.Feed(segment.record, segment.byteOffset, uint64_t{segment.end} - segment.start + 1,
                segment.start, &feed);
  }
  // Whatever was read again must still be what was scanned.
  if (!SourceUnchanged(*source)) {
    InputChanged();
  }
  return FinishRangeFeed(&feed, crc);
}

}  // namespace

bool ComputeOutOfOrder(ByteSource* source, FileFormat format, CrcAlgorithm algorithm,
                       const std::vector<AddressRange>& ranges, uint64_t dataRecords,
                       uint32_t* crc) {
  if (format == IntelHex) {
    return ComputeFor<IntelHexLine>(source, format, algorithm, ranges, dataRecords, crc);
  }
  if (format == SRecord) {
    return ComputeFor<SRecordLine>(source, format, algorithm, ranges, dataRecords, crc);
  }
  return false;
}

}  // namespace sumwright
