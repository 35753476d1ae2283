// The program image as its data records hold it: ascending, disjoint segments of record bytes.
#include "crc/image_segments.h"

#include <algorithm>

#include "base/interrupt.h"
#include "base/hex_value.h"

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

// The fields of ReadDataRecord, read as the record accessors ByteCount and DataText read them
// but without converting the record type again: this runs for every record of the file.
inline bool ReadRecordFields(const HexFile& file, size_t index, DataRecord* record) {
  const char* text = nullptr;
  size_t length = 0;  // characters of the record text
  size_t first = 0;   // index of the first data digit
  uint32_t byteCount = 0;
  if (file.format == IntelHex) {
    // Byte count in columns 2-3; data digits from column 10 up to the two checksum digits.
    const IntelHexLine& line = file.intelHexLines[index];
    if (line.type != 0 || line.length < 3 || !HexByte(line.text + 1, &byteCount)) {
      return false;
    }
    text = line.text;
    length = line.length;
    first = 9;
    record->start = line.address;
  } else {
    // Data digits after the 4, 6 or 8 address digits of S1, S2, S3, up to the checksum digits.
    const SRecordLine& line = file.sRecordLines[index];
    if (line.type < 1 || line.type > 3) {
      return false;
    }
    text = line.text;
    length = line.length;
    first = 4 + 2 * (size_t{line.type} + 1);
    record->start = line.address;
  }
  // A text that ends before its data digits and checksum holds no digits.
  size_t digits = length >= first + 2 ? length - first - 2 : 0;
  if (file.format == SRecord) {
    // Whole bytes only: a lone last digit is not a byte.
    byteCount = static_cast<uint32_t>(digits / 2);
  }
  if (byteCount == 0) {
    return false;
  }
  record->byteCount = byteCount;
  record->digits = std::string_view(text + first, std::min(digits, size_t{2} * byteCount));
  return true;
}

// The spans of all data records; a span that runs past 0xFFFFFFFF becomes two pieces, the
// second going on at address 0.
std::vector<SegmentEntry> CollectPieces(const HexFile& file) {
  std::vector<SegmentEntry> pieces;
  size_t count = RecordCount(file);
  pieces.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    if (i % kPollInterval == 0) {
      PollInterrupt();
    }
    DataRecord record;
    if (!ReadRecordFields(file, i, &record)) {
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

// Walking in place: the next data record as a segment. False at the end of the list, and with
// outOfOrder set at a record that does not start above the one before or runs past the top.
bool NextRecordInPlace(ImageCursor* cursor, ImageSegment* segment) {
  const HexFile& file = *cursor->file;
  size_t count = RecordCount(file);
  DataRecord record;
  while (cursor->next < count) {
    size_t index = cursor->next++;
    if (index % kPollInterval == 0) {
      PollInterrupt();
    }
    if (!ReadRecordFields(file, index, &record)) {
      continue;
    }
    uint64_t end = LastAddress(record);
    if (record.start < cursor->placedEnd || end > kTopAddress) {
      cursor->outOfOrder = true;
      return false;
    }
    cursor->placedEnd = end + 1;
    *segment = ImageSegment{record.start, end, record.digits.data(), record.digits.size()};
    return true;
  }
  return false;
}

}  // namespace

bool ReadDataRecord(const HexFile& file, size_t index, DataRecord* record) {
  return ReadRecordFields(file, index, record);
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
  segments.reserve(pieces.size());
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
      // A piece that lies wholly above the address and ends before the next one starts is a
      // segment of its own: the usual case, taken without the heap.
      const SegmentEntry& piece = pieces[next];
      if (piece.start >= address &&
          (next + 1 == pieces.size() || pieces[next + 1].start > piece.end)) {
        segments.push_back(piece);
        address = uint64_t{piece.end} + 1;
        ++next;
        continue;
      }
      address = std::max<uint64_t>(address, piece.start);
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
  cursor->inPlace = true;
  cursor->outOfOrder = false;
  cursor->placedEnd = 0;
  cursor->segments.clear();
  cursor->next = 0;
  return true;
}

bool NextSegment(ImageCursor* cursor, ImageSegment* segment) {
  if (cursor->inPlace) {
    return !cursor->outOfOrder && NextRecordInPlace(cursor, segment);
  }
  if (cursor->next == cursor->segments.size()) {
    return false;
  }
  size_t index = cursor->next++;
  if (index % kPollInterval == 0) {
    PollInterrupt();
  }
  const SegmentEntry& entry = cursor->segments[index];
  DataRecord record;
  if (!ReadDataRecord(*cursor->file, entry.record, &record)) {
    return false;
  }
  *segment = SegmentOf(entry, record);
  return true;
}

bool RestInOrder(ImageCursor* cursor) {
  if (!cursor->inPlace) {
    return false;
  }
  // Handing out every remaining record checks it.
  ImageSegment segment{};
  while (NextSegment(cursor, &segment)) {
  }
  return !cursor->outOfOrder;
}

void SortImage(ImageCursor* cursor) {
  cursor->segments = BuildSegments(CollectPieces(*cursor->file));
  cursor->inPlace = false;
  cursor->next = 0;
}

void RewindImage(ImageCursor* cursor) {
  cursor->next = 0;
  cursor->placedEnd = 0;
}

}  // namespace sumwright
