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

// Reads record `index` of the list of the file's format. False when the record holds no
// address: not a data record (Intel HEX type 00; S1, S2, S3), or one without bytes.
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
  // The data records ascend without overlap in file order, so they are the segments themselves
  // and are walked in place; otherwise `segments` is built once.
  bool inFileOrder = false;
  std::vector<SegmentEntry> segments;
  size_t next = 0;
};

// Prepares `cursor` for `file`. False when the file's format is neither S-record nor Intel HEX.
bool OpenImage(const HexFile& file, ImageCursor* cursor);

// The next segment in ascending order of address; false when there is none.
bool NextSegment(ImageCursor* cursor, ImageSegment* segment);

// Makes the next segment the first one again.
void RewindImage(ImageCursor* cursor);

// The disjoint, ascending segments of `pieces` (record spans, none running past 0xFFFFFFFF),
// the piece of the lowest record index winning where pieces overlap.
std::vector<SegmentEntry> BuildSegments(std::vector<SegmentEntry> pieces);

}  // namespace sumwright
