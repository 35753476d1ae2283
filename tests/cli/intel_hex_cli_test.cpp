// Runs of the real program on Intel HEX input: the real CRC in the output file, and re-runs.
#include <gtest/gtest.h>

#include <string>

#include "support/cli_run.h"
#include "support/temp_dir.h"

namespace sumwright {
namespace {

constexpr char kCompleted[] = "\nSumwright Completed\n";

// "123456789" at 0 to 8 and two erased bytes at 9 and 10.
constexpr char kCheckInput[] = ":0B000000313233343536373839FFFF1A\n:00000001FF\n";

// Thirty-two bytes 00 to 1F at 0 to 1F.
constexpr char kSample[] =
    ":10000000000102030405060708090A0B0C0D0E0F78\n"
    ":10001000101112131415161718191A1B1C1D1E1F68\n"
    ":00000001FF\n";

TEST(CliIntelHex, PublishedCheckValuesLandInsideTheRecord) {
  struct Case {
    const char* crcOption;
    const char* endian;
    const char* record;
  };
  // CRC-16/GENIBUS of "123456789" is D64E, CRC-16/ARC BB3D (published check values).
  const Case cases[] = {
      {"-crc=9=0-8", "-endian=big", ":0B000000313233343536373839D64EF4"},
      {"-crc=9=0-8/CCITT", "-endian=little", ":0B0000003132333435363738394ED6F4"},
      {"-crc=9=0-8/16", "-endian=big", ":0B000000313233343536373839BB3D20"},
      {"-crc=9=0-8/16", "-endian=little", ":0B0000003132333435363738393DBB20"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    dir.Write("app.hex", kCheckInput);
    CliRun run = RunSumwright(dir, {"app.hex", c.crcOption, c.endian, "-output=out.hex"});
    EXPECT_EQ(0, run.status) << c.crcOption << " " << c.endian;
    EXPECT_EQ(Banner() + "** L0500 (I) Generated CRC code at \"0x00000009\"\n" + kCompleted,
              run.messages);
    EXPECT_EQ(std::string(c.record) + "\n:00000001FF\n", dir.Read("out.hex"));
    EXPECT_EQ("app.hex\nout.hex\n", dir.Listing());
  }
}

TEST(CliIntelHex, InsertedCrcRecordsCarryTheRealCrc) {
  struct Case {
    std::vector<std::string> options;
    std::string expected;
  };
  // Expected CRCs computed offline with python3-crcmod over the image 00..1F followed by
  // erased bytes (0xFF) up to the end of the range.
  const std::string data =
      ":10000000000102030405060708090A0B0C0D0E0F78\n"
      ":10001000101112131415161718191A1B1C1D1E1F68\n";
  const Case cases[] = {
      {{"-crc=FFFE=0-FFFD"}, data + ":02FFFE00307859\n:00000001FF\n"},
      {{"-crc=FFFE=0-FFFD", "-endian=little"}, data + ":02FFFE00783059\n:00000001FF\n"},
      {{"-crc=FFFE=0-FFFD/16"}, data + ":02FFFE00F9EB1D\n:00000001FF\n"},
      {{"-crc=FFFE=0-FFFD/16", "-endian=little"}, data + ":02FFFE00EBF91D\n:00000001FF\n"},
      {{"-crc=12345=0-FF"}, data + ":020000021000EC\n:022345004C3119\n:00000001FF\n"},
      {{"-crc=12345=0-FF/16", "-endian=little"},
       data + ":020000021000EC\n:022345001CCEAC\n:00000001FF\n"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    dir.Write("app.hex", kSample);
    std::vector<std::string> arguments = {"app.hex", "-output=out.hex"};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    CliRun run = RunSumwright(dir, arguments);
    EXPECT_EQ(0, run.status) << c.options[0];
    EXPECT_EQ(c.expected, dir.Read("out.hex")) << c.options[0];
  }
}

TEST(CliIntelHex, CarriageReturnLineEndsAreKept) {
  TempDir dir;
  dir.Write("app.hex",
            ":10000000000102030405060708090A0B0C0D0E0F78\r\n"
            ":10001000101112131415161718191A1B1C1D1E1F68\r\n"
            ":00000001FF\r\n");
  CliRun run = RunSumwright(dir, {"app.hex", "-crc=FFFE=0-FFFD", "-output=out.hex"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ(
      ":10000000000102030405060708090A0B0C0D0E0F78\r\n"
      ":10001000101112131415161718191A1B1C1D1E1F68\r\n"
      ":02FFFE00307859\r\n"
      ":00000001FF\r\n",
      dir.Read("out.hex"));
}

TEST(CliIntelHex, RunningOnItsOwnOutputGivesTheSameFile) {
  // The code field lies outside every range, so the CRC of the output equals the one in it.
  const char* const crcOptions[] = {"-crc=FFFE=0-FFFD", "-crc=FFFE=0-FFFD/16", "-crc=12345=0-FF",
                                    "-crc=12345=0-FF/16", "-crc=F=0-E,11-1F"};
  const char* const endians[] = {"-endian=big", "-endian=little"};
  for (const char* crcOption : crcOptions) {
    for (const char* endian : endians) {
      TempDir first;
      first.Write("app.hex", kSample);
      CliRun original = RunSumwright(first, {"app.hex", crcOption, endian, "-output=out.hex"});
      ASSERT_EQ(0, original.status) << crcOption << " " << endian << "\n" << original.messages;
      TempDir second;
      second.Write("app.hex", first.Read("out.hex"));
      CliRun run = RunSumwright(second, {"app.hex", crcOption, endian, "-output=out.hex"});
      EXPECT_EQ(0, run.status) << crcOption << " " << endian << "\n" << run.messages;
      EXPECT_EQ(first.Read("out.hex"), second.Read("out.hex")) << crcOption << " " << endian;
    }
  }
}

}  // namespace
}  // namespace sumwright
