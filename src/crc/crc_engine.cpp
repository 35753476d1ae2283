// The CRC over the requested address ranges of the image, fed from the input scan.
#include "crc/crc_engine.h"

#include "crc/data_record.h"
#include "crc/out_of_order.h"

namespace sumwright {

namespace {

constexpr uint64_t kTopAddress = 0xFFFFFFFFu;

template <typename Line>
void FeedRecords(const std::vector<Line>& lines, CrcEngine* engine) {
  DataRecord record;
  for (const Line& line : lines) {
    if (!ReadDataRecord(line, &record)) {
      continue;
    }
    ++engine->dataRecords;
    if (!engine->inOrder) {
      continue;
    }
    uint64_t end = uint64_t{record.start} + record.byteCount;  // one past the last byte
    // A record below the end of the one before (or running past the top address) breaks the
    // ascending order: the CRC is then computed again from the records sorted by address.
    if (record.start < engine->placedEnd || end > kTopAddress + 1) {
      engine->inOrder = false;
      continue;
    }
    engine->placedEnd = end;
    FeedBytes(&engine->feed, record.start, record.byteCount, record.digits.data(),
              record.digits.size());
  }
}

}  // namespace

bool StartCrc(CrcAlgorithm algorithm, const std::vector<AddressRange>& ranges, CrcEngine* engine) {
  engine->algorithm = algorithm;
  engine->ranges = &ranges;
  engine->inOrder = true;
  engine->placedEnd = 0;
  engine->dataRecords = 0;
  return StartRangeFeed(algorithm, ranges, &engine->feed);
}

void FeedCrc(const ScanBatch& batch, CrcEngine* engine) {
  FeedRecords(batch.intelHexLines, engine);
  FeedRecords(batch.sRecordLines, engine);
}

bool Compute(CrcEngine* engine, ByteSource* source, FileFormat format, uint32_t* crc) {
  if (engine->inOrder) {
    return FinishRangeFeed(&engine->feed, crc);
  }
  return ComputeOutOfOrder(source, format, engine->algorithm, *engine->ranges, engine->dataRecords,
                           crc);
}

}  // namespace sumwright
