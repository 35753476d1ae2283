// Feeds the addresses of the requested ranges into a CRC in ascending order: the bytes handed
// in where records hold them, 0xFF for every other address.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/crc_request.h"
#include "crc/crc_algorithms.h"

namespace sumwright {

struct RangeFeed {
  const std::vector<AddressRange>* ranges = nullptr;
  size_t rangeIndex = 0;  // the first range not wholly fed
  uint64_t next = 0;      // every range address below it has been fed
  CrcState state;
  // Bytes collected for the next CRC update.
  std::unique_ptr<uint8_t[]> chunk;
  size_t count = 0;
};

// Starts feeding `ranges` (sorted by start, disjoint; they must outlive the feed) into the CRC
// `algorithm`. False for an unknown algorithm or an empty range list.
bool StartRangeFeed(CrcAlgorithm algorithm, const std::vector<AddressRange>& ranges,
                    RangeFeed* feed);

// Feeds the bytes at `start` to start + byteCount - 1 that lie in a range, decoded from `digits`
// (`digitCount` characters, two per byte; bytes without a whole hexadecimal pair read 0xFF), and
// 0xFF for the range addresses between the last ones fed and `start`. `start` must not lie below
// an address already fed.
void FeedBytes(RangeFeed* feed, uint64_t start, uint64_t byteCount, const char* digits,
               size_t digitCount);

// FeedBytes for bytes given as values: `byteCount` of them at `bytes`.
void FeedByteValues(RangeFeed* feed, uint64_t start, uint64_t byteCount, const uint8_t* bytes);

// Feeds 0xFF for the range addresses not fed yet and stores the CRC in *crc.
bool FinishRangeFeed(RangeFeed* feed, uint32_t* crc);

}  // namespace sumwright
