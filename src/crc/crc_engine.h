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

// Finishes the CRC once the whole input was scanned and stores it in *crc: over every address of
// the ranges, in ascending order, the byte of the first data record in file order that holds
// the address, 0xFF where none does. When the records did not ascend, the input is read again
// from `source` (scanned in `format`) to feed them in address order; that ends the process with
// internal error (2, 44) when the input changed in between.
bool Compute(CrcEngine* engine, ByteSource* source, FileFormat format, uint32_t* crc);

}  // namespace sumwright
