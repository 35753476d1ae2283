// Tests of the CRC over the requested address ranges of an image, fed by the input scan: in
// file order while the records ascend, read again and sorted when they do not.
#include "crc/crc_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "support/expected_messages.h"
#include "support/image_model.h"
#include "support/pipeline_run.h"
#include "support/temp_dir.h"

#if defined(__linux__)
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace sumwright {
namespace {

// The CRC of `algorithm` over `ranges` of the image of `lines`; fails the test when Compute does.
uint32_t Crc(CrcAlgorithm algorithm, const std::vector<std::string>& lines,
             const std::vector<AddressRange>& ranges) {
  CrcRun run = CrcOfText(Lines(lines), algorithm, ranges);
  EXPECT_TRUE(run.computed);
  return run.crc;
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

// The Intel HEX text of `records`: an extended linear address record wherever a record's page
// differs from the one before; checksums 00.
std::string IntelHexText(const std::vector<ModelRecord>& records) {
  std::string text;
  uint32_t page = 0;
  for (const ModelRecord& record : records) {
    if (record.start >> 16 != page) {
      page = record.start >> 16;
      text += IntelHexRecord(0, 4, {static_cast<uint8_t>(page >> 8), static_cast<uint8_t>(page)}) +
              "\n";
    }
    text += IntelHexDataRecord(record) + "\n";
  }
  return text + ":00000001FF\n";
}

std::string SRecordText(const std::vector<ModelRecord>& records) {
  std::string text = "S00600004844521B\n";
  for (const ModelRecord& record : records) {
    text += SRecord3(record) + "\n";
  }
  return text + "S70500000000FA\n";
}

// Checks the CRC of both forms of `records` against the model, in both algorithms.
void ExpectModelCrc(const std::vector<ModelRecord>& records,
                    const std::vector<AddressRange>& ranges, bool ascending,
                    const std::string& what) {
  for (const std::string& text : {IntelHexText(records), SRecordText(records)}) {
    for (CrcAlgorithm algorithm : {Ccitt, Crc16}) {
      CrcRun run = CrcOfText(text, algorithm, ranges);
      ASSERT_TRUE(run.computed) << what;
      EXPECT_EQ(ascending, run.inOrder) << what;
      EXPECT_EQ(ModelCrc(algorithm, records, ranges), run.crc)
          << what << ", algorithm " << algorithm << ", " << text.substr(0, 60);
    }
  }
}

// `count` records of `size` random bytes from `start` on, each continuing the one before.
std::vector<ModelRecord> Block(uint32_t start, size_t count, size_t size, std::mt19937* random) {
  std::vector<ModelRecord> block;
  for (size_t i = 0; i < count; ++i) {
    ModelRecord record{start, std::vector<uint8_t>(size), std::vector<bool>(size, false)};
    for (uint8_t& b : record.bytes) {
      b = static_cast<uint8_t>((*random)());
    }
    block.push_back(record);
    start += static_cast<uint32_t>(size);
  }
  return block;
}

std::vector<ModelRecord> Join(std::initializer_list<std::vector<ModelRecord>> blocks) {
  std::vector<ModelRecord> records;
  for (const std::vector<ModelRecord>& block : blocks) {
    records.insert(records.end(), block.begin(), block.end());
  }
  return records;
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
    uint32_t free = base;  // even rounds: records ascend without overlap
    uint64_t placedEnd = 0;
    bool ascending = true;
    for (ModelRecord& record : records) {
      record.start = round % 2 == 0 ? free + uniform(0, 4) : base + uniform(0, 400);
      record.bytes.resize(uniform(1, 40));
      record.bad.resize(record.bytes.size());
      for (size_t i = 0; i < record.bytes.size(); ++i) {
        record.bytes[i] = static_cast<uint8_t>(random());
        record.bad[i] = uniform(0, 30) == 0;
      }
      uint64_t end = uint64_t{record.start} + record.bytes.size();
      ascending = ascending && record.start >= placedEnd && end <= 0x100000000u;
      placedEnd = end;
      free = static_cast<uint32_t>(end);
    }
    std::vector<AddressRange> ranges;
    uint64_t next = base + uniform(0, 40);
    for (uint32_t n = uniform(1, 4); n > 0 && next <= 0xFFFFFFFFu; --n) {
      uint64_t end = std::min<uint64_t>(next + uniform(0, 300), 0xFFFFFFFFu);
      ranges.push_back(AddressRange{static_cast<uint32_t>(next), static_cast<uint32_t>(end)});
      next = end + 1 + uniform(0, 40);
    }
    ExpectModelCrc(records, ranges, ascending, "round " + std::to_string(round));
  }
}

TEST(CrcEngine, EqualsImageModelWhenRecordsDoNotAscend) {
  std::mt19937 random(5);
  std::vector<ModelRecord> low = Block(0x1000, 64, 16, &random);
  std::vector<ModelRecord> high = Block(0x1400, 64, 16, &random);
  std::vector<ModelRecord> shuffled = Join({low, high});
  std::shuffle(shuffled.begin(), shuffled.end(), random);
  // Across the 64 KiB page 1-2, extended address records between the records of one run.
  std::vector<ModelRecord> pages = Block(0x1FF00, 32, 16, &random);
  std::vector<ModelRecord> top = Block(0xFFFFFFE0, 2, 16, &random);
  std::vector<ModelRecord> pastTop = Block(0xFFFFFFF8, 1, 24, &random);
  std::vector<ModelRecord> bottom = Block(0, 4, 16, &random);
  struct OrderCase {
    const char* what;
    std::vector<ModelRecord> records;
    std::vector<AddressRange> ranges;
  };
  const OrderCase cases[] = {
      {"records shuffled", shuffled, {{0x0FF8, 0x17FF}}},
      {"blocks swapped", Join({high, low}), {{0x0FF8, 0x17FF}}},
      {"blocks swapped, ranges inside records",
       Join({high, low}),
       {{0x1003, 0x1004}, {0x13F1, 0x1401}}},
      {"a later block overlapping the middle of an earlier one",
       Join({high, Block(0x1200, 40, 16, &random), low}),
       {{0x1000, 0x17FF}}},
      {"a later record inside an earlier one, one byte off",
       Join({high, Block(0x1403, 1, 5, &random), low}),
       {{0x1000, 0x17FF}}},
      {"an earlier record inside a later block",
       Join({Block(0x1207, 1, 3, &random), low}),
       {{0x1000, 0x13FF}}},
      {"a run across a page, after its upper part",
       Join({Block(0x20000, 8, 16, &random), pages}),
       {{0x1FF00, 0x2007F}}},
      {"a record past the top address before the one at the bottom",
       Join({top, pastTop, bottom}),
       {{0, 0x3F}, {0xFFFFFFD0, 0xFFFFFFFF}}},
      {"a record past the top address after the one at the bottom",
       Join({bottom, top, pastTop}),
       {{0, 0x3F}, {0xFFFFFFD0, 0xFFFFFFFF}}},
  };
  for (const OrderCase& c : cases) {
    ExpectModelCrc(c.records, c.ranges, false, c.what);
  }
}

TEST(CrcEngine, OutOfOrderInputReadsAgainInWindows) {
  // 70,000 records of 4 bytes, one every 256 addresses, shuffled: more blocks of 256 addresses
  // than one window of 16 MiB holds. First in the file, a record across the border of the
  // first two windows (0xFFFFFE-0x1000001); last, a record over it that loses both its ends.
  std::mt19937 random(8);
  std::vector<ModelRecord> records;
  for (uint32_t i = 0; i < 70000; ++i) {
    records.push_back(Block(i * 256, 1, 4, &random)[0]);
  }
  std::shuffle(records.begin(), records.end(), random);
  records.insert(records.begin(), Block(0xFFFFFE, 1, 4, &random)[0]);
  records.push_back(Block(0xFFFFFD, 1, 6, &random)[0]);
  // The ranges hold the bytes of every record and a few around the border; the second set
  // nothing in the blocks of the first window.
  std::vector<AddressRange> all;
  std::vector<AddressRange> above;
  for (uint32_t i = 0; i < 70000; ++i) {
    all.push_back(i == 65536 ? AddressRange{0xFFFFF8, 0x1000007}
                             : AddressRange{i * 256, i * 256 + 3});
    if (i > 65536) {
      above.push_back(all.back());
    }
  }
  for (const std::vector<AddressRange>& ranges : {all, above}) {
    ExpectModelCrc(records, ranges, false, "shuffled across windows");
  }
}

TEST(CrcEngine, ReadingAgainKeepsACarriageReturnThatEndsTheText) {
  // A line ending in two carriage returns and a line feed keeps one of them in its text, and
  // so in its data digits. The same records give the same CRC whether they ascend (fed while
  // scanned) or not (read again, in runs that end with such a line).
  // With the carriage return the data field holds six digits, three bytes; without it two.
  const std::string a = "S1071000AABBCC0\r\r\n";
  const std::string b = "S1071003DDEEFF0\r\r\n";
  const std::string c = "S1081008223344556600\n";
  const std::vector<AddressRange> ranges = {{0x1000, 0x100F}};
  CrcRun ascending = CrcOfText("S00600004844521B\n" + a + b + c, Ccitt, ranges);
  CrcRun reread = CrcOfText("S00600004844521B\n" + c + a + b, Ccitt, ranges);
  ASSERT_TRUE(ascending.computed && ascending.inOrder);
  ASSERT_TRUE(reread.computed);
  EXPECT_FALSE(reread.inOrder);
  EXPECT_EQ(ascending.crc, reread.crc);
}

TEST(CrcEngine, EqualsImageModelAcrossScanChunks) {
  // Two blocks of more than a scan chunk of text each, in order and swapped: records and runs
  // that continue from one chunk into the next.
  std::mt19937 random(6);
  ImageText low;
  AppendIntelHexData(&low, 300000, "\r\n", &random);
  ImageText high;
  high.next = low.next + 0x100;
  AppendIntelHexData(&high, 400000, "\r\n", &random);
  std::vector<AddressRange> ranges = {{0x10, low.next + 0x7F}, {low.next + 0x180, high.next + 8}};
  struct ChunkCase {
    const char* what;
    const ImageText* first;
    const ImageText* second;
  };
  const ChunkCase cases[] = {{"ascending", &low, &high}, {"blocks swapped", &high, &low}};
  for (const ChunkCase& c : cases) {
    std::vector<ModelRecord> records = c.first->records;
    records.insert(records.end(), c.second->records.begin(), c.second->records.end());
    CrcRun run = CrcOfText(c.first->text + c.second->text + ":00000001FF\r\n", Ccitt, ranges);
    ASSERT_TRUE(run.computed) << c.what;
    EXPECT_EQ(c.first == &low, run.inOrder) << c.what;
    EXPECT_EQ(ModelCrc(Ccitt, records, ranges), run.crc) << c.what;
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
      lines.push_back(SRecord3(record));
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
    lines.push_back(SRecord3(record));
    records.push_back(record);
    start += 4 + gap;
    ++value;
  }
  for (CrcAlgorithm algorithm : {Ccitt, Crc16}) {
    EXPECT_EQ(ModelCrc(algorithm, records, {{0, start + 300}}),
              Crc(algorithm, lines, {{0, start + 300}}));
  }
}

TEST(CrcEngine, RefusesUnknownAlgorithmAndNoRanges) {
  struct Refusal {
    const char* what;
    int algorithm;
    std::vector<AddressRange> ranges;
  };
  const Refusal refusals[] = {
      {"algorithm 2", 2, {{0, 0}}},
      {"no ranges", 1, {}},
  };
  for (const Refusal& r : refusals) {
    CrcRun run = CrcOfText(":0100000000FF\n", static_cast<CrcAlgorithm>(r.algorithm), r.ranges);
    EXPECT_FALSE(run.started) << r.what;
    EXPECT_FALSE(run.computed) << r.what;
  }
}

TEST(CrcEngine, InputChangedBeforeItIsReadAgainIsInternalError2And44) {
  // Records that do not ascend are read again from the input file once the scan has ended.
  const std::string input = ":0200020033340A\n:0200000031325E\n:00000001FF\n";
  const std::string changed[] = {
      // Another address for the second record.
      ":0200020033340A\n:0200040031325C\n:00000001FF\n",
      // A record fewer.
      ":0200020033340A\n:00000001FF\n",
      // A record more at the end.
      input + ":0200080035368B\n",
  };
  for (const std::string& rewritten : changed) {
    TempDir dir;
    dir.Write("in.hex", input);
    EXPECT_EXIT(
        {
          ByteSource source;
          if (!OpenSourceFile(dir.Path("in.hex"), &source)) {
            std::exit(3);
          }
          CrcOfSource(&source, Ccitt, {{0, 0xFF}}, [&] { dir.Write("in.hex", rewritten); });
          std::exit(4);
        },
        testing::ExitedWithCode(1), Exactly(L4000(2, 44)))
        << rewritten;
  }
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
  // 100,000 records 256 addresses apart, from the highest address down: sorting them takes a
  // window of 16 MiB.
  std::string text;
  for (uint32_t i = 0; i < 100000; ++i) {
    char line[32];
    std::snprintf(line, sizeof line, "S309%08XAABBCCDD00\n", (100000 - i) * 256);
    text += line;
  }
  EXPECT_EXIT(
      {
        CrcOfText(text, Ccitt, {{0, 0xFFFFFFF}}, [] {
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
        });
        std::exit(3);
      },
      testing::ExitedWithCode(1), Exactly(L4000(4, 65)));
#else
  GTEST_SKIP() << "address space limits are set here on Linux only";
#endif
}

}  // namespace
}  // namespace sumwright
