// The CRC over the requested address ranges of the image, fed from the input scan.
#pragma once

#include <cstdint>
#include <vector>

#include "base/byte_source.h"
#include "base/crc_request.h"
#include "crc/range_feed.h"
#include "input/input_scan.h"

namespace sumwright {

struct CrcEngine {
  CrcAlgorithm algorithm = Ccitt;
  const std::vector<AddressRange>* ranges = nullptr;
  // While the data records ascend, their bytes go straight into the CRC.
  RangeFeed feed;
  bool inOrder = true;
  uint64_t placedEnd = 0;    // one above the last address of the data records fed so far
  uint64_t dataRecords = 0;  // data records with at least one byte, seen so far
};

// Prepares the CRC of `algorithm` over every address of `ranges` (sorted by start and disjoint,
// as the range check leaves them; they must outlive the engine). False for an unknown
// algorithm or an empty range list.
bool StartCrc(CrcAlgorithm algorithm, const std::vector<AddressRange>& ranges, CrcEngine* engine);

// Takes the data records of one scanned chunk, in file order. Neither polls for Ctrl+C nor ends
// the process, so it may run on a thread of its own.
void FeedCrc(const ScanBatch& batch, CrcEngine* engine);

// Called after the last batch: stores the CRC in *crc. Each range address contributes one byte,
// lowest address first: what the earliest record in the file holds there, or 0xFF for an
// address no record holds. If some record broke the ascending order, `source` (scanned in
// `format`) is read again so the bytes can be fed sorted (ComputeOutOfOrder): false after L3300
// when it cannot be, and the process ends with internal error (2, 44) when it no longer reads the
// same.
bool Compute(CrcEngine* engine, ByteSource* source, FileFormat format, uint32_t* crc);

}  // namespace sumwright
