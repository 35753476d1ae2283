// The CRC of an image whose data records do not ascend: the input is read again, its records
// are sorted by address, and their bytes are fed in that order.
#pragma once

#include <cstdint>
#include <vector>

#include "base/byte_source.h"
#include "base/crc_request.h"
#include "input/record_lines.h"

namespace sumwright {

// The CRC of `algorithm` over every address of `ranges` (sorted, disjoint): the byte of the
// first data record in file order that holds the address, 0xFF where none does. Reads the input
// of `source` (scanned already, in `format`, with `dataRecords` data records that hold bytes)
// twice more: once to index its runs of records that continue each other, once to feed them.
// Memory grows with the number of such runs, not with the file. Ends the process with internal
// error (2, 44) when the input no longer reads as it did, and with (4, 65) when memory runs out.
bool ComputeOutOfOrder(ByteSource* source, FileFormat format, CrcAlgorithm algorithm,
                       const std::vector<AddressRange>& ranges, uint64_t dataRecords,
                       uint32_t* crc);

}  // namespace sumwright
