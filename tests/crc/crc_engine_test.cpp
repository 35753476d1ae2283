// Tests of the CRC over the requested address ranges of a scanned image.
#include "crc/crc_engine.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "base/interrupt.h"
#include "crc/crc_algorithms.h"
#include "crc/hex_file_builder.h"

#if defined(__linux__)
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace sumwright {
namespace {

// The CRC of `algorithm` over `ranges` of the image of `lines`; fails the test when Compute does.
uint32_t Crc(CrcAlgorithm algorithm, const std::vector<std::string>& lines,
             const std::vector<AddressRange>& ranges) {
  HexFile file;
  BuildHexFile(lines, &file);
  CrcEngine engine;
  uint32_t crc = 0xDEAD0000;
  EXPECT_TRUE(engine.Compute(algorithm, file, ranges, &crc));
  return crc;
}

struct Case {
  const char* what;
  std::vector<std::string> lines;
  std::vector<AddressRange> ranges;
  uint32_t ccitt;
  uint32_t crc16;
};

void Check(const Case& c) {
  EXPECT_EQ(c.ccitt, Crc(Ccitt, c.lines, c.ranges)) << c.what << ", CCITT";
  EXPECT_EQ(c.crc16, Crc(Crc16, c.lines, c.ranges)) << c.what << ", 16";
}

// Expected values: the published check values of CRC-16/GENIBUS (D64E) and CRC-16/ARC (BB3D)
// for "123456789"; all others from python3 crcmod over the bytes named in the comment,
// mkCrcFun(0x11021, initCrc=0, rev=False, xorOut=0xFFFF) and mkCrcFun(0x18005, rev=True).
// Record checksums are never read, so most records carry 00.
TEST(CrcEngine, FeedsEveryAddressOfTheRangesWithErasedBytesInGaps) {
  const Case cases[] = {
      {"check value", {":0900000031323334353637383900", ":00000001FF"}, {{0, 8}}, 0xD64E, 0xBB3D},
      {"check value, S-records with header and end record",
       {"S00600004844521B", "S10C000031323334353637383900", "S9030000FC"},
       {{0, 8}},
       0xD64E,
       0xBB3D},
      // 00
      {"one byte 00", {":0100000000FF"}, {{0, 0}}, 0x1E0F, 0x0000},
      // FF
      {"one address no record holds", {":0100000000FF"}, {{5, 5}}, 0x00FF, 0x4040},
      // 31 32 33 34 FF FF 37 38
      {"gap between records", {":040000003132333400", ":020006003738FF"}, {{0, 7}}, 0x3DBD, 0xDA72},
      // FF FF FF FF 12 34 56 78
      {"range below the first record", {":040010001234567800"}, {{0xC, 0x13}}, 0x45C3, 0x243B},
      // 31 32 33 34 A0 A1 A2 A3
      {"two ranges",
       {":040000003132333400", ":04002000A0A1A2A300"},
       {{0, 3}, {0x20, 0x23}},
       0x0C6B,
       0xE72F},
      {"two ranges given high first",
       {":040000003132333400", ":04002000A0A1A2A300"},
       {{0x20, 0x23}, {0, 3}},
       0x0C6B,
       0xE72F},
      // 12 x FF, DE AD BE EF
      {"range up to the top address",
       {"S309FFFFFFFCDEADBEEF00"},
       {{0xFFFFFFF0, 0xFFFFFFFF}},
       0xC82C,
       0x01DA},
      // EF
      {"top address alone", {"S309FFFFFFFCDEADBEEF00"}, {{0xFFFFFFFF, 0xFFFFFFFF}}, 0x12CE, 0x8C41},
      // 00 01 .. 1F
      {"records out of ascending order",
       {":10001000101112131415161718191A1B1C1D1E1F00",
        ":10000000000102030405060708090A0B0C0D0E0F00"},
       {{0, 0x1F}},
       0xDC4C,
       0xC36A},
      // 8 x AA, 4 x BB
      {"overlap, lower record first in the file",
       {":08000000AAAAAAAAAAAAAAAA00", ":08000400BBBBBBBBBBBBBBBB00"},
       {{0, 0xB}},
       0x2235,
       0x5BFE},
      // 4 x AA, 8 x BB
      {"overlap, higher record first in the file",
       {":08000400BBBBBBBBBBBBBBBB00", ":08000000AAAAAAAAAAAAAAAA00"},
       {{0, 0xB}},
       0x2667,
       0xD8C0},
      // 256 x FF
      {"image without data records", {":00000001FF"}, {{0, 0xFF}}, 0xA4D0, 0x5440},
      {"S-records without data records",
       {"S00600004844521B", "S9030000FC"},
       {{0, 0xFF}},
       0xA4D0,
       0x5440},
      // 31 FF 33 34
      {"digit pair that is not hexadecimal", {":0400000031G2333400"}, {{0, 3}}, 0xC810, 0xEB2B},
      // 31 32 FF FF
      {"Intel HEX digits beyond the byte count", {":020000003132333435"}, {{0, 3}}, 0x97A8, 0x83AE},
      {"Intel HEX digits missing for the byte count",
       {":04000000313200"},
       {{0, 3}},
       0x97A8,
       0x83AE},
      // 31 32 33 FF
      {"S-record with an odd digit count", {"S10600003132333FF"}, {{0, 3}}, 0xC491, 0x83FB},
      // FF FF 31 32 33 34
      {"extended linear address first",
       {":020000040001F9", ":040000003132333400"},
       {{0xFFFE, 0x10003}},
       0x2876,
       0x0FBA},
      // 31 32 33 34
      {"records without data bytes",
       {"S1030000FC", "S1070000313233343F", "S1030002FC"},
       {{0, 3}},
       0xACB6,
       0x14BA},
      {"Intel HEX records without data bytes",
       {":0000000000", ":040000003132333400", ":0000020000"},
       {{0, 3}},
       0xACB6,
       0x14BA},
      {"check value, S-records with a header between the data records",
       {"S1070000313233343F", "S00600004844521B", "S10800043536373839FF"},
       {{0, 8}},
       0xD64E,
       0xBB3D},
      // 256 x FF
      {"header first, all data below the range",
       {"S00600004844521B", "S1050000AABB00"},
       {{0x100, 0x1FF}},
       0xA4D0,
       0x5440},
      {"extended address first, all data below the range",
       {":020000040000FA", ":02000000AABB00"},
       {{0x100, 0x1FF}},
       0xA4D0,
       0x5440},
      // 03 04 FF FF
      {"record running past the top address", {"S309FFFFFFFE0102030400"}, {{0, 3}}, 0x212C, 0x3540},
  };
  for (const Case& c : cases) {
    Check(c);
  }
}

TEST(CrcEngine, WholeAddressSpaceRunsEndAtTheTopAddress) {
  // python3 crcmod fed in 1 MiB blocks: DE AD BE EF then 0xFFFFFFFA x FF; 0xFFFFFFFC x FF then
  // DE AD BE EF.
  const Case cases[] = {
      {"4-byte image, range 0-FFFFFFFD",
       {":04000000DEADBEEF00"},
       {{0, 0xFFFFFFFD}},
       0xF18F,
       0x0DD9},
      {"image at the top, range 0-FFFFFFFF",
       {"S309FFFFFFFCDEADBEEF00"},
       {{0, 0xFFFFFFFF}},
       0xBF68,
       0xE59B},
  };
  for (const Case& c : cases) {
    Check(c);
  }
}

// An image model independent of the engine: address -> byte, the first record in file order
// winning; the CRC over it with the bitwise reference.
struct ModelRecord {
  uint32_t start;
  std::vector<uint8_t> bytes;
  std::vector<bool> bad;  // digit pair written with a non-hexadecimal digit: reads 0xFF
};

uint32_t ModelCrc(CrcAlgorithm algorithm, const std::vector<ModelRecord>& records,
                  const std::vector<AddressRange>& ranges) {
  std::map<uint32_t, uint8_t> image;
  for (const ModelRecord& record : records) {
    for (size_t i = 0; i < record.bytes.size(); ++i) {
      image.emplace(static_cast<uint32_t>(record.start + i),
                    record.bad[i] ? uint8_t{0xFF} : record.bytes[i]);
    }
  }
  std::vector<uint8_t> stream;
  for (const AddressRange& range : ranges) {
    for (uint64_t a = range.start; a <= range.end; ++a) {
      auto found = image.find(static_cast<uint32_t>(a));
      stream.push_back(found == image.end() ? uint8_t{0xFF} : found->second);
    }
  }
  CrcState state;
  EXPECT_TRUE(SelectAlgorithm(algorithm, &state));
  state.crcRegister = algorithm == Ccitt
                          ? CcittUpdateBitwise(state.crcRegister, stream.data(), stream.size())
                          : Crc16UpdateBitwise(state.crcRegister, stream.data(), stream.size());
  uint32_t crc = 0;
  EXPECT_TRUE(TakeResult(state, &crc));
  return crc;
}

// An S3 record of `record`; bad pairs get a "G".
std::string S3Line(const ModelRecord& record) {
  char text[16];
  std::snprintf(text, sizeof text, "S3%02X%08X", static_cast<unsigned>(record.bytes.size() + 5),
                static_cast<unsigned>(record.start));
  std::string line = text;
  for (size_t i = 0; i < record.bytes.size(); ++i) {
    std::snprintf(text, sizeof text, record.bad[i] ? "G%X" : "%02x",
                  static_cast<unsigned>(record.bad[i] ? record.bytes[i] & 0xF : record.bytes[i]));
    line += text;
  }
  return line + "00";
}

TEST(CrcEngine, EqualsImageModelOnRandomImagesInAnyRecordOrder) {
  std::mt19937 random(4);
  auto uniform = [&random](uint32_t low, uint32_t high) {
    return std::uniform_int_distribution<uint32_t>(low, high)(random);
  };
  for (int round = 0; round < 300; ++round) {
    // Near address 0 or right below the top, where spans run past 0xFFFFFFFF.
    uint32_t base = round % 3 == 2 ? 0xFFFFFF00u : 0u;
    std::vector<ModelRecord> records(uniform(0, 12));
    std::vector<std::string> lines = {"S00600004844521B"};
    uint32_t free = base;  // even rounds: records ascend without overlap, the in-place walk
    for (ModelRecord& record : records) {
      record.start = round % 2 == 0 ? free + uniform(0, 4) : base + uniform(0, 400);
      record.bytes.resize(uniform(1, 40));
      record.bad.resize(record.bytes.size());
      for (size_t i = 0; i < record.bytes.size(); ++i) {
        record.bytes[i] = static_cast<uint8_t>(random());
        record.bad[i] = uniform(0, 30) == 0;
      }
      free = record.start + static_cast<uint32_t>(record.bytes.size());
      lines.push_back(S3Line(record));
    }
    std::vector<AddressRange> ranges;
    uint64_t next = base + uniform(0, 40);
    for (uint32_t n = uniform(1, 4); n > 0 && next <= 0xFFFFFFFFu; --n) {
      uint64_t end = std::min<uint64_t>(next + uniform(0, 300), 0xFFFFFFFFu);
      ranges.push_back(AddressRange{static_cast<uint32_t>(next), static_cast<uint32_t>(end)});
      next = end + 1 + uniform(0, 40);
    }
    for (CrcAlgorithm algorithm : {Ccitt, Crc16}) {
      ASSERT_EQ(ModelCrc(algorithm, records, ranges), Crc(algorithm, lines, ranges))
          << "round " << round << ", first line " << (lines.size() > 1 ? lines[1] : "");
    }
  }
}

TEST(CrcEngine, EqualsImageModelAcrossChunkBoundaries) {
  for (uint32_t size : {65534u, 65535u, 65536u, 65537u}) {
    std::vector<ModelRecord> records;
    std::vector<std::string> lines;
    std::mt19937 random(size);
    // 16-byte records with a 3-byte gap every 4096 bytes.
    for (uint32_t start = 0; start < size; start += 16) {
      if (start % 4096 == 16) {
        start += 3;
      }
      ModelRecord record{start, std::vector<uint8_t>(16), std::vector<bool>(16, false)};
      for (uint8_t& b : record.bytes) {
        b = static_cast<uint8_t>(random());
      }
      lines.push_back(S3Line(record));
      records.push_back(record);
    }
    for (AddressRange range : {AddressRange{0, size - 1}, AddressRange{5, size + 4}}) {
      for (CrcAlgorithm algorithm : {Ccitt, Crc16}) {
        EXPECT_EQ(ModelCrc(algorithm, records, {range}), Crc(algorithm, lines, {range}))
            << size << " bytes from " << range.start;
      }
    }
  }
}

TEST(CrcEngine, EqualsImageModelForGapsOfEveryLengthClass) {
  // Gaps below, at and above the lengths where erased bytes stop joining the chunk, and one
  // longer than the chunk.
  std::vector<ModelRecord> records;
  std::vector<std::string> lines;
  uint32_t start = 3;
  uint8_t value = 1;
  for (uint32_t gap : {1u, 63u, 64u, 65u, 255u, 256u, 257u, 4096u, 70000u, 2u}) {
    ModelRecord record{start, {value, 2, 3, 4}, std::vector<bool>(4, false)};
    lines.push_back(S3Line(record));
    records.push_back(record);
    start += 4 + gap;
    ++value;
  }
  for (CrcAlgorithm algorithm : {Ccitt, Crc16}) {
    EXPECT_EQ(ModelCrc(algorithm, records, {{0, start + 300}}),
              Crc(algorithm, lines, {{0, start + 300}}));
  }
}

TEST(CrcEngine, OverlappingRangesFeedTheirCommonAddressesTwice) {
  std::vector<ModelRecord> records = {{0x10, {1, 2, 3, 4, 5, 6}, std::vector<bool>(6, false)}};
  std::vector<AddressRange> ranges = {{0x0E, 0x13}, {0x11, 0x17}};
  for (CrcAlgorithm algorithm : {Ccitt, Crc16}) {
    EXPECT_EQ(ModelCrc(algorithm, records, ranges), Crc(algorithm, {S3Line(records[0])}, ranges));
  }
}

TEST(CrcEngine, RefusesUnknownAlgorithmNoRangesAndUnknownFormat) {
  HexFile file;
  BuildHexFile({":0100000000FF"}, &file);
  HexFile unscanned;
  struct Refusal {
    const char* what;
    int algorithm;
    const HexFile* file;
    std::vector<AddressRange> ranges;
  };
  const Refusal refusals[] = {
      {"algorithm 2", 2, &file, {{0, 0}}},
      {"no ranges", 1, &file, {}},
      {"no format", 1, &unscanned, {{0, 0}}},
  };
  for (const Refusal& r : refusals) {
    CrcEngine engine;
    uint32_t crc = 0x5A5A;
    EXPECT_FALSE(engine.Compute(static_cast<CrcAlgorithm>(r.algorithm), *r.file, r.ranges, &crc))
        << r.what;
    EXPECT_EQ(0x5A5Au, crc) << r.what;
  }
}

TEST(CrcEngine, CtrlCDuringTheWalkEndsWithL3410AndStatusOne) {
  HexFile file;
  BuildHexFile({":0400000031323334FF"}, &file);
  EXPECT_EXIT(
      {
        SetInterrupt(1);
        CrcEngine engine;
        uint32_t crc = 0;
        engine.Compute(Ccitt, file, {{0, 0xFFFF}}, &crc);
      },
      testing::ExitedWithCode(1), "^\\*\\* L3410 \\(F\\) Interrupt by user$");
}

// Builds with the address sanitizer reserve far more address space than a limit allows.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

TEST(CrcEngine, ExhaustedMemoryIsInternalError4And65) {
#if defined(__linux__)
  if (kAddressSanitizer) {
    GTEST_SKIP() << "address space limits do not work with the address sanitizer";
  }
  // 100,000 records from the highest address down: the engine must build their segments.
  std::vector<std::string> lines;
  for (uint32_t i = 0; i < 100000; ++i) {
    char line[32];
    std::snprintf(line, sizeof line, "S309%08XAABBCCDD00", (100000 - i) * 4);
    lines.push_back(line);
  }
  HexFile file;
  BuildHexFile(lines, &file);
  EXPECT_EXIT(
      {
        // Room for a little more than the process holds now.
        long pages = 0;
        std::FILE* statm = std::fopen("/proc/self/statm", "r");
        if (statm == nullptr || std::fscanf(statm, "%ld", &pages) != 1) {
          std::exit(2);
        }
        std::fclose(statm);
        rlimit limit{};
        getrlimit(RLIMIT_AS, &limit);
        limit.rlim_cur =
            static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (1u << 20);
        setrlimit(RLIMIT_AS, &limit);
        CrcEngine engine;
        uint32_t crc = 0;
        engine.Compute(Ccitt, file, {{0, 0xFFFFF}}, &crc);
        std::exit(3);
      },
      testing::ExitedWithCode(1),
      "^\\*\\* L4000 \\(-\\) Internal error : \"\\(\"4\"\\)\" \"65\" / \"\\(null\\)\"\n$");
#else
  GTEST_SKIP() << "address space limits are set here on Linux only";
#endif
}

}  // namespace
}  // namespace sumwright
