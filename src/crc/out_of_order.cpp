// The CRC of an image whose data records do not ascend: the input is read again, and its bytes
// are sorted by address in a window of fixed size.
//
// The address space is cut into granules of 256 addresses. The first reading marks every
// granule where a data record holds a range address, and numbers the marked granules in
// ascending order. Each later reading takes a window: the next 65,536 marked granules (16 MiB).
// It places into the window every byte that a record holds there, unless an earlier record of
// the file placed that address already, and then feeds the window's granules into the CRC,
// lowest first; an address in them that no record holds keeps 0xFF, and the range feed gives
// 0xFF to the addresses between them.
//
// For example, a 16 MiB image of 16-byte records in shuffled order marks 65,536 granules: one
// window holds them all, so the input is read twice after the scan. Two records holding the same
// address in one granule: the first in the file places its byte there, the second finds the
// address placed and leaves it. Tested by CrcEngine.EqualsImageModelWhenRecordsDoNotAscend and
// CrcEngine.OutOfOrderInputReadsAgainInWindows.
#include "crc/out_of_order.h"

#include <algorithm>
#include <bitset>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>

#include "base/file_io.h"
#include "base/interrupt.h"
#include "base/messages.h"
#include "crc/data_record.h"
#include "crc/range_feed.h"
#include "crc/record_bytes.h"
#include "input/record_rereader.h"

namespace sumwright {

namespace {

constexpr uint32_t kGranuleBits = 8;
constexpr uint32_t kGranuleSize = uint32_t{1} << kGranuleBits;
constexpr size_t kGranuleCount = size_t{1} << (32 - kGranuleBits);
constexpr size_t kWindowGranules = 65536;
constexpr size_t kPollInterval = 4096;

[[noreturn]] void InputChanged() {
  ReportInternalError(kInputScan);
}

// One bit for each of `count` items, all clear after Reset(count), which may be called again
// with any count. A set that grows is allocated anew, as zero pages that are not touched until
// used (the granule index of the whole 4 GiB space is 2 MiB); otherwise only the words in use
// are cleared.
struct BitSet {
  struct Free {
    void operator()(uint64_t* allocated) const { std::free(allocated); }
  };
  std::unique_ptr<uint64_t[], Free> words;
  size_t capacity = 0;  // words allocated
  void Reset(size_t count) {
    size_t size = (count + 63) / 64;
    if (size > capacity) {
      words.reset(static_cast<uint64_t*>(std::calloc(size, sizeof(uint64_t))));
      if (words == nullptr) {
        throw std::bad_alloc();
      }
      capacity = size;
      return;
    }
    std::memset(words.get(), 0, size * sizeof(uint64_t));
  }
  bool Test(size_t i) const { return (words[i / 64] >> (i % 64) & 1) != 0; }
  void Set(size_t i) { words[i / 64] |= uint64_t{1} << (i % 64); }
};

// The granules that hold data in the ranges, numbered from 0 in ascending order (their rank).
struct GranuleIndex {
  BitSet marked;
  size_t lowestWord = kGranuleCount / 64;  // the words of `marked` that may hold a mark
  size_t highestWord = 0;
  std::unique_ptr<uint32_t[]> before;  // for each word of `marked`: the marked granules before it
  size_t count = 0;

  void Mark(uint32_t granule) {
    marked.Set(granule);
    lowestWord = std::min<size_t>(lowestWord, granule / 64);
    highestWord = std::max<size_t>(highestWord, granule / 64);
  }
  // Numbers the marked granules.
  void Rank() {
    before.reset(new uint32_t[kGranuleCount / 64]);
    size_t total = 0;
    for (size_t word = lowestWord; word <= highestWord; ++word) {
      before[word] = static_cast<uint32_t>(total);
      total += std::bitset<64>(marked.words[word]).count();
    }
    count = total;
  }
  // The rank of a marked granule.
  size_t RankOf(uint32_t granule) const {
    uint64_t below = marked.words[granule / 64] & ((uint64_t{1} << (granule % 64)) - 1);
    return before[granule / 64] + std::bitset<64>(below).count();
  }
};

// Calls piece(address, skip, count) for each part of the record's bytes that lies in one
// granule: `count` bytes from its byte `skip` on, at `address` on. A record that runs past the
// top address goes on at 0.
template <typename Piece>
void ForEachGranulePiece(const DataRecord& record, Piece piece) {
  uint32_t skip = 0;
  while (skip < record.byteCount) {
    uint32_t address = record.start + skip;
    uint32_t count = std::min(record.byteCount - skip, kGranuleSize - address % kGranuleSize);
    piece(address, skip, count);
    skip += count;
  }
}

// True when some range holds an address of first..last.
bool TouchesRanges(const std::vector<AddressRange>& ranges, uint32_t first, uint32_t last) {
  auto after = std::upper_bound(
      ranges.begin(), ranges.end(), last,
      [](uint32_t address, const AddressRange& range) { return address < range.start; });
  return after != ranges.begin() && std::prev(after)->end >= first;
}

// Reads the input again and hands every data record to `use`. Ends the process when the input
// no longer reads as the scan read it.
template <typename Line, typename Use>
void ReadDataRecords(RecordRereader* reader, uint64_t expectedRecords, Use use) {
  StartRereading(reader->source, reader);
  Line line;
  DataRecord record;
  uint64_t dataRecords = 0;
  while (NextRecord(reader, &line)) {
    if (ReadDataRecord(line, &record)) {
      ++dataRecords;
      use(record);
    }
  }
  if (reader->failed || dataRecords != expectedRecords) {
    InputChanged();
  }
}

// The granules of ranks first to first + size - 1, and their bytes: 0xFF until a record places
// one.
struct Window {
  size_t first = 0;
  size_t size = 0;
  std::unique_ptr<uint8_t[]> bytes;
  BitSet placed;  // one bit for each byte
};

// Places the bytes of `record` that lie in the window and that no earlier record placed.
void PlaceRecord(const DataRecord& record, const GranuleIndex& index, Window* window) {
  ForEachGranulePiece(record, [&](uint32_t address, uint32_t skip, uint32_t count) {
    uint32_t granule = address >> kGranuleBits;
    if (!index.marked.Test(granule)) {
      return;
    }
    size_t slot = index.RankOf(granule) - window->first;  // wraps for granules below
    if (slot >= window->size) {
      return;
    }
    uint8_t values[kGranuleSize];
    size_t used = std::min<size_t>(size_t{2} * skip, record.digits.size());
    DecodeDataBytes(record.digits.data() + used, record.digits.size() - used, count, values);
    size_t first = slot * kGranuleSize + address % kGranuleSize;
    for (uint32_t i = 0; i < count; ++i) {
      if (!window->placed.Test(first + i)) {
        window->placed.Set(first + i);
        window->bytes[first + i] = values[i];
      }
    }
  });
}

template <typename Line>
bool ComputeFor(ByteSource* source, CrcAlgorithm algorithm, const std::vector<AddressRange>& ranges,
                uint64_t expectedRecords, uint32_t* crc) {
  RangeFeed feed;
  if (!StartRangeFeed(algorithm, ranges, &feed)) {
    return false;
  }
  RecordRereader reader;
  reader.source = source;
  GranuleIndex index;
  Window window;
  try {
    index.marked.Reset(kGranuleCount);
    ReadDataRecords<Line>(&reader, expectedRecords, [&](const DataRecord& record) {
      ForEachGranulePiece(record, [&](uint32_t address, uint32_t, uint32_t count) {
        if (TouchesRanges(ranges, address, address + count - 1)) {
          index.Mark(address >> kGranuleBits);
        }
      });
    });
    index.Rank();
    // The first window is the largest; the marked granules are fed from `granule` on.
    window.size = std::min(index.count, kWindowGranules);
    window.bytes.reset(new uint8_t[window.size * kGranuleSize]);
    size_t granule = index.lowestWord * 64;
    for (window.first = 0; window.first < index.count; window.first += window.size) {
      window.size = std::min(index.count - window.first, kWindowGranules);
      std::memset(window.bytes.get(), 0xFF, window.size * kGranuleSize);
      window.placed.Reset(window.size * kGranuleSize);
      ReadDataRecords<Line>(&reader, expectedRecords,
                            [&](const DataRecord& record) { PlaceRecord(record, index, &window); });
      for (size_t slot = 0; slot < window.size; ++slot, ++granule) {
        if (slot % kPollInterval == 0) {
          PollInterrupt();
        }
        while (!index.marked.Test(granule)) {
          ++granule;
        }
        FeedByteValues(&feed, uint64_t{granule} << kGranuleBits, kGranuleSize,
                       window.bytes.get() + slot * kGranuleSize);
      }
    }
  } catch (const std::bad_alloc&) {
    ReportInternalError(kCrcMemory);
  }
  // Whatever was read again must still be what was scanned.
  if (!SourceUnchanged(*source)) {
    InputChanged();
  }
  return FinishRangeFeed(&feed, crc);
}

}  // namespace

bool ComputeOutOfOrder(ByteSource* source, FileFormat format, CrcAlgorithm algorithm,
                       const std::vector<AddressRange>& ranges, uint64_t dataRecords,
                       uint32_t* crc) {
  if (!SourceReadsAgain(*source)) {
    // A pipe's bytes were to be kept in a scratch file, which could not be made or written.
    Message(kL3300CannotOpenFile, ScratchDirectory().c_str());
    return false;
  }
  if (format == IntelHex) {
    return ComputeFor<IntelHexLine>(source, algorithm, ranges, dataRecords, crc);
  }
  if (format == SRecord) {
    return ComputeFor<SRecordLine>(source, algorithm, ranges, dataRecords, crc);
  }
  return false;
}

}  // namespace sumwright
