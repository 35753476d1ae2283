// The program image as its data records hold it: ascending, disjoint segments of record bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "input/hex_file.h"

namespace sumwright {

// The bytes of one data record: `byteCount` addresses from `start` (the span may run past
// 0xFFFFFFFF and go on at 0), and the digits that encode them, two per byte, at most
// 2 * byteCount characters. Intel HEX: the stored address and the byte count field, so digits
// beyond the byte count are never read. S-records: the stored address and the whole bytes of
// the data digits.
struct DataRecord {
  uint32_t start;
  uint32_t byteCount;
  std::string_view digits;
};

// Reads record `index` of the list of the file's format, with the same fields as the
// record accessors ByteCount and DataText give. False when the record holds no address: not a
// data record (Intel HEX type 00; S1, S2, S3), or one without bytes.
bool ReadDataRecord(const HexFile& file, size_t index, DataRecord* record);

// A run of addresses start..end (inclusive) held by one record, with the digits of the byte at
// `start` onwards (`digitCount` characters; fewer than two per byte where the record text
// lacks them).
struct ImageSegment {
  uint64_t start;
  uint64_t end;
  const char* digits;
  size_t digitCount;
};

// A piece of one record's span: addresses start..end, from the record's byte `byteOffset` on.
struct SegmentEntry {
  uint32_t start;
  uint32_t end;
  size_t record;
  uint32_t byteOffset;
};

// Hands out the image's segments in ascending order of address. Where several data records
// hold an address, the first in file order gives its byte.
struct ImageCursor {
  const HexFile* file = nullptr;
  // At first the data records themselves are the segments, walked in place in file order, as
  // long as each starts above the end of the one before and none runs past 0xFFFFFFFF.
  bool inPlace = true;
  // Set when a data record broke that order: the segments must be built (SortImage).
  bool outOfOrder = false;
  uint64_t placedEnd = 0;  // one above the last address of the last record handed out in place
  std::vector<SegmentEntry> segments;
  size_t next = 0;
};

// Prepares `cursor` to walk `file` in place. False when the file's format is neither S-record
// nor Intel HEX.
bool OpenImage(const HexFile& file, ImageCursor* cursor);

// The next segment in ascending order of address; false when there is none, or, walking in
// place, when the next data record is out of order (outOfOrder is then set).
bool NextSegment(ImageCursor* cursor, ImageSegment* segment);

// Walking in place: checks the data records not yet handed out and sets outOfOrder when one of
// them breaks the order. True when every data record is in order.
bool RestInOrder(ImageCursor* cursor);

// Builds the segments once, where the first record in file order owns every address, and
// makes the lowest the next one.
void SortImage(ImageCursor* cursor);

// Makes the next segment the first one again.
void RewindImage(ImageCursor* cursor);

// The disjoint, ascending segments of `pieces` (record spans, none running past 0xFFFFFFFF),
// the piece of the lowest record index winning where pieces overlap.
std::vector<SegmentEntry> BuildSegments(std::vector<SegmentEntry> pieces);

}  // namespace sumwright
