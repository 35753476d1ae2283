// The CRC of an image whose data records do not ascend: the input is read again, and its bytes
// are sorted by address in a window of fixed size.
#pragma once

#include <cstdint>
#include <vector>

#include "base/byte_source.h"
#include "base/crc_request.h"
#include "input/record_lines.h"

namespace sumwright {

// The CRC of `algorithm` over every address of `ranges` (sorted, disjoint): the byte of the
// first data record in file order that holds the address, 0xFF where none does. Reads the input
// of `source` (scanned and accepted already, in `format`, with `dataRecords` data records that
// hold bytes) again: once to find where its data lie, then once for every 16 MiB of data in the
// ranges (counted in blocks of 256 addresses that a record touches). It takes about 21 MiB of
// memory, whatever the input. False after L3300 with the directory for temporary files when the
// input is a pipe or a device whose bytes could not be kept there for reading again. Ends the
// process with internal error (2, 44) when the input no longer reads as it did, and with (4, 65)
// when memory runs out.
bool ComputeOutOfOrder(ByteSource* source, FileFormat format, CrcAlgorithm algorithm,
                       const std::vector<AddressRange>& ranges, uint64_t dataRecords,
                       uint32_t* crc);

}  // namespace sumwright
