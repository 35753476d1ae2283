// The image as ascending, disjoint segments, where several pieces of data claim an address.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sumwright {

// A piece of the image: addresses start..end (inclusive), the bytes of `record` (a number that
// also ranks the pieces: the lowest owns an address that several hold) from its byte
// `byteOffset` on.
struct SegmentEntry {
  uint32_t start;
  uint32_t end;
  size_t record;
  uint32_t byteOffset;
};

// The disjoint, ascending segments of `pieces`, the piece of the lowest record number winning
// where pieces overlap; adjoining segments of one record are joined.
std::vector<SegmentEntry> BuildSegments(std::vector<SegmentEntry> pieces);

}  // namespace sumwright
