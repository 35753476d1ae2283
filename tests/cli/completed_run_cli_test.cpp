// Runs of the real program that complete, in both file forms: the CRC of the requested
// algorithm and byte order at the code address, the messages, and a run over its own output.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/cli_run.h"
#include "support/expected_messages.h"
#include "support/temp_dir.h"

namespace sumwright {
namespace {

// Thirty-two bytes 00 to 1F at 0 to 1F.
constexpr char kIntelHex[] =
    ":10000000000102030405060708090A0B0C0D0E0F78\n"
    ":10001000101112131415161718191A1B1C1D1E1F68\n"
    ":00000001FF\n";
// The same bytes after a header "HDR", and a termination record.
constexpr char kSRecords[] =
    "S00600004844521B\n"
    "S1130000000102030405060708090A0B0C0D0E0F74\n"
    "S1130010101112131415161718191A1B1C1D1E1F64\n"
    "S9030000FC\n";
// The header generated for the output name out.mot.
constexpr char kOutHeader[] = "S00E00006F757420202020206D6F74A9\n";

TEST(CliCompletedRun, CrcOfTheRequestLandsAtTheCodeAddress) {
  struct Case {
    const char* input;  // the input file's name, whose ending names the output
    std::string text;
    std::vector<std::string> options;
    std::string output;
    uint32_t codeAddress;
  };
  // "123456789" at 0 to 8 and two erased bytes at 9 and 10; its CRC-16/GENIBUS is D64E, its
  // CRC-16/ARC BB3D (published check values).
  const std::string intelCheck = ":0B000000313233343536373839FFFF1A\n:00000001FF\n";
  const std::string sCheck = "S00600004844521B\nS10E0000313233343536373839FFFF16\nS9030000FC\n";
  // The other CRCs: python3-crcmod over 00 to 1F and erased bytes (0xFF) up to the end of the
  // range; the records checksummed by hand.
  const std::string intelData =
      ":10000000000102030405060708090A0B0C0D0E0F78\n:10001000101112131415161718191A1B1C1D1E1F68\n";
  const std::string sData =
      "S1130000000102030405060708090A0B0C0D0E0F74\nS1130010101112131415161718191A1B1C1D1E1F64\n";
  const Case cases[] = {
      {"app.hex",
       intelCheck,
       {"-crc=9=0-8", "-endian=big"},
       ":0B000000313233343536373839D64EF4\n:00000001FF\n",
       9},
      {"app.hex",
       intelCheck,
       {"-crc=9=0-8/CCITT", "-endian=little"},
       ":0B0000003132333435363738394ED6F4\n:00000001FF\n",
       9},
      {"app.hex",
       intelCheck,
       {"-crc=9=0-8/16", "-endian=big"},
       ":0B000000313233343536373839BB3D20\n:00000001FF\n",
       9},
      {"app.hex",
       intelCheck,
       {"-crc=9=0-8/16", "-endian=little"},
       ":0B0000003132333435363738393DBB20\n:00000001FF\n",
       9},
      {"app.mot",
       sCheck,
       {"-crc=9=0-8", "-endian=big"},
       kOutHeader + std::string("S10E0000313233343536373839D64EF0\nS9030000FC\n"),
       9},
      {"app.mot",
       sCheck,
       {"-crc=9=0-8", "-endian=little"},
       kOutHeader + std::string("S10E00003132333435363738394ED6F0\nS9030000FC\n"),
       9},
      {"app.mot",
       sCheck,
       {"-crc=9=0-8/16", "-endian=big"},
       kOutHeader + std::string("S10E0000313233343536373839BB3D1C\nS9030000FC\n"),
       9},
      {"app.mot",
       sCheck,
       {"-crc=9=0-8/16", "-endian=little"},
       kOutHeader + std::string("S10E00003132333435363738393DBB1C\nS9030000FC\n"),
       9},
      // A record added for the code field.
      {"app.hex",
       kIntelHex,
       {"-crc=FFFE=0-FFFD"},
       intelData + ":02FFFE00307859\n:00000001FF\n",
       0xFFFE},
      {"app.hex",
       kIntelHex,
       {"-crc=12345=0-FF/16", "-endian=little"},
       intelData + ":020000021000EC\n:022345001CCEAC\n:00000001FF\n",
       0x12345},
      {"app.mot",
       kSRecords,
       {"-crc=1000=0-FFF/16", "-endian=little"},
       kOutHeader + sData + "S1051000F4BC3A\nS9030000FC\n",
       0x1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options[0] + " " + c.input);
    TempDir dir;
    dir.Write(c.input, c.text);
    const std::string output = std::string(c.input) == "app.hex" ? "out.hex" : "out.mot";
    std::vector<std::string> arguments = {c.input, "-output=" + output};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    CliRun run = RunSumwright(dir, arguments);
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("", run.output);
    EXPECT_EQ(Banner() + L0500(c.codeAddress) + kCompletedEnd, run.messages);
    EXPECT_EQ(c.output, dir.Read(output));
    EXPECT_EQ(std::string(c.input) + "\n" + output + "\n", dir.Listing());
  }
}

TEST(CliCompletedRun, RunningOnItsOwnOutputGivesTheSameFile) {
  // The code field lies outside every range, so the CRC of the output equals the one in it; the
  // same output name gives the same S-record header.
  struct Case {
    const char* name;
    const char* text;
    std::vector<std::string> crcOptions;
  };
  const Case cases[] = {
      {"app.hex",
       kIntelHex,
       {"-crc=FFFE=0-FFFD", "-crc=FFFE=0-FFFD/16", "-crc=12345=0-FF", "-crc=12345=0-FF/16",
        "-crc=F=0-E,11-1F"}},
      {"app.mot",
       kSRecords,
       {"-crc=1000=0-FFF", "-crc=1000=0-FFF/16", "-crc=FFFF=0-1F", "-crc=FFFF=0-1F/16",
        "-crc=F=0-E,11-1F"}},
  };
  for (const Case& c : cases) {
    for (const std::string& crcOption : c.crcOptions) {
      for (const char* endian : {"-endian=big", "-endian=little"}) {
        SCOPED_TRACE(std::string(c.name) + " " + crcOption + " " + endian);
        TempDir first;
        first.Write(c.name, c.text);
        CliRun original = RunSumwright(first, {c.name, crcOption, endian, "-output=out"});
        ASSERT_EQ(0, original.status) << original.messages;
        TempDir second;
        second.Write(c.name, first.Read("out"));
        CliRun run = RunSumwright(second, {c.name, crcOption, endian, "-output=out"});
        EXPECT_EQ(0, run.status) << run.messages;
        EXPECT_EQ(first.Read("out"), second.Read("out"));
      }
    }
  }
}

}  // namespace
}  // namespace sumwright
