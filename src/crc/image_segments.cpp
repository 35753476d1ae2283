// The program image as its data records hold it: ascending, disjoint segments of record bytes.
#include "crc/image_segments.h"

#include <algorithm>

#include "app/interrupt.h"
#include "input/intel_hex_reader.h"
#include "input/s_record_reader.h"

namespace sumwright {

namespace {

// Long loops over records poll for Ctrl+C once per this many turns.
constexpr size_t kPollInterval = 4096;

constexpr uint64_t kTopAddress = 0xFFFFFFFFu;

size_t RecordCount(const HexFile& file) {
  return file.format == IntelHex ? file.intelHexLines.size() : file.sRecordLines.size();
}

uint64_t LastAddress(const DataRecord& record) {
  return uint64_t{record.start} + record.byteCount - 1;
}

// The segment of `entry`, with the digits from its first byte on.
ImageSegment SegmentOf(const SegmentEntry& entry, const DataRecord& record) {
  size_t skip = std::min(size_t{2} * entry.byteOffset, record.digits.size());
  return ImageSegment{entry.start, entry.end, record.digits.data() + skip,
                      record.digits.size() - skip};
}

// True when every data record starts above the last address of the one before it in file
// order and none runs past 0xFFFFFFFF.
bool DataRecordsAscend(const HexFile& file) {
  size_t count = RecordCount(file);
  bool first = true;
  uint64_t previousEnd = 0;
  for (size_t i = 0; i < count; ++i) {
    if (i % kPollInterval == 0) {
      PollInterrupt();
    }
    DataRecord record;
    if (!ReadDataRecord(file, i, &record)) {
      continue;
    }
    uint64_t end = LastAddress(record);
    if (end > kTopAddress || (!first && record.start <= previousEnd)) {
      return false;
    }
    first = false;
    previousEnd = end;
  }
  return true;
}

// The spans of all data records; a span that runs past 0xFFFFFFFF becomes two pieces, the
// second going on at address 0.
std::vector<SegmentEntry> CollectPieces(const HexFile& file) {
  std::vector<SegmentEntry> pieces;
  size_t count = RecordCount(file);
  for (size_t i = 0; i < count; ++i) {
    if (i % kPollInterval == 0) {
      PollInterrupt();
    }
    DataRecord record;
    if (!ReadDataRecord(file, i, &record)) {
      continue;
    }
    uint64_t end = LastAddress(record);
    if (end <= kTopAddress) {
      pieces.push_back(SegmentEntry{record.start, static_cast<uint32_t>(end), i, 0});
    } else {
      pieces.push_back(SegmentEntry{record.start, static_cast<uint32_t>(kTopAddress), i, 0});
      uint32_t wrapped = static_cast<uint32_t>(kTopAddress - record.start + 1);
      pieces.push_back(SegmentEntry{0, static_cast<uint32_t>(end - kTopAddress - 1), i, wrapped});
    }
  }
  return pieces;
}

}  // namespace

bool ReadDataRecord(const HexFile& file, size_t index, DataRecord* record) {
  std::string_view digits;
  uint32_t start = 0;
  uint32_t byteCount = 0;
  if (file.format == IntelHex) {
    const IntelHexLine& line = file.intelHexLines[index];
    if (line.type != 0 || !ByteCount(line, &byteCount) || byteCount == 0) {
      return false;
    }
    // A text too short for a data field holds no digits: its bytes read 0xFF.
    if (!DataText(line, &digits)) {
      digits = std::string_view();
    }
    digits = digits.substr(0, size_t{2} * byteCount);
    start = line.address;
  } else {
    const SRecordLine& line = file.sRecordLines[index];
    if (line.type < 1 || line.type > 3 || !DataText(line, &digits)) {
      return false;
    }
    // Whole bytes only: a lone last digit is not a byte.
    byteCount = static_cast<uint32_t>(digits.size() / 2);
    if (byteCount == 0) {
      return false;
    }
    digits = digits.substr(0, size_t{2} * byteCount);
    start = line.address;
  }
  record->start = start;
  record->byteCount = byteCount;
  record->digits = digits;
  return true;
}

std::vector<SegmentEntry> BuildSegments(std::vector<SegmentEntry> pieces) {
  std::sort(pieces.begin(), pieces.end(),
            [](const SegmentEntry& a, const SegmentEntry& b) { return a.start < b.start; });
  // Sweep upwards through the addresses with the pieces that hold the current address in a
  // heap ordered by record index: its top owns the address. Pieces that ended below the
  // address leave the heap when they come to the top.
  auto later = [&pieces](size_t a, size_t b) { return pieces[a].record > pieces[b].record; };
  std::vector<size_t> holders;
  std::vector<SegmentEntry> segments;
  size_t next = 0;
  uint64_t address = 0;
  for (size_t turn = 0;; ++turn) {
    if (turn % kPollInterval == 0) {
      PollInterrupt();
    }
    if (holders.empty()) {
      if (next == pieces.size()) {
        break;
      }
      address = std::max<uint64_t>(address, pieces[next].start);
    }
    while (next < pieces.size() && pieces[next].start <= address) {
      holders.push_back(next++);
      std::push_heap(holders.begin(), holders.end(), later);
    }
    while (!holders.empty() && pieces[holders.front()].end < address) {
      std::pop_heap(holders.begin(), holders.end(), later);
      holders.pop_back();
    }
    if (holders.empty()) {
      continue;
    }
    const SegmentEntry& owner = pieces[holders.front()];
    // The owner holds the addresses up to its end, or up to the start of the next piece, which
    // may come from an earlier record.
    uint64_t last = owner.end;
    if (next < pieces.size() && uint64_t{pieces[next].start} - 1 < last) {
      last = uint64_t{pieces[next].start} - 1;
    }
    uint32_t offset = static_cast<uint32_t>(owner.byteOffset + (address - owner.start));
    if (!segments.empty() && segments.back().record == owner.record &&
        uint64_t{segments.back().end} + 1 == address) {
      segments.back().end = static_cast<uint32_t>(last);
    } else {
      segments.push_back(SegmentEntry{static_cast<uint32_t>(address), static_cast<uint32_t>(last),
                                      owner.record, offset});
    }
    address = last + 1;
  }
  return segments;
}

bool OpenImage(const HexFile& file, ImageCursor* cursor) {
  if (file.format != IntelHex && file.format != SRecord) {
    return false;
  }
  cursor->file = &file;
  cursor->next = 0;
  cursor->segments.clear();
  cursor->inFileOrder = DataRecordsAscend(file);
  if (!cursor->inFileOrder) {
    cursor->segments = BuildSegments(CollectPieces(file));
  }
  return true;
}

bool NextSegment(ImageCursor* cursor, ImageSegment* segment) {
  const HexFile& file = *cursor->file;
  DataRecord record;
  if (cursor->inFileOrder) {
    size_t count = RecordCount(file);
    while (cursor->next < count) {
      size_t index = cursor->next++;
      if (index % kPollInterval == 0) {
        PollInterrupt();
      }
      if (ReadDataRecord(file, index, &record)) {
        *segment = SegmentOf(
            SegmentEntry{record.start, static_cast<uint32_t>(LastAddress(record)), index, 0},
            record);
        return true;
      }
    }
    return false;
  }
  if (cursor->next == cursor->segments.size()) {
    return false;
  }
  size_t index = cursor->next++;
  if (index % kPollInterval == 0) {
    PollInterrupt();
  }
  const SegmentEntry& entry = cursor->segments[index];
  if (!ReadDataRecord(file, entry.record, &record)) {
    return false;
  }
  *segment = SegmentOf(entry, record);
  return true;
}

void RewindImage(ImageCursor* cursor) {
  cursor->next = 0;
}

}  // namespace sumwright
