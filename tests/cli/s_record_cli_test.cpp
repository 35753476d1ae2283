// Runs of the real program on S-record input: the real CRC in the output file, and re-runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/cli_run.h"
#include "support/temp_dir.h"

namespace sumwright {
namespace {

// Header "HDR", thirty-two bytes 00 to 1F at 0 to 1F, termination record.
constexpr char kSample[] =
    "S00600004844521B\n"
    "S1130000000102030405060708090A0B0C0D0E0F74\n"
    "S1130010101112131415161718191A1B1C1D1E1F64\n"
    "S9030000FC\n";

// The header generated for the output name out.mot.
constexpr char kOutHeader[] = "S00E00006F757420202020206D6F74A9\n";

TEST(CliSRecord, PublishedCheckValuesLandInsideTheRecord) {
  struct Case {
    const char* crcOption;
    const char* endian;
    const char* record;
  };
  // CRC-16/GENIBUS of "123456789" is D64E, CRC-16/ARC BB3D (published check values).
  const Case cases[] = {
      {"-crc=9=0-8", "-endian=big", "S10E0000313233343536373839D64EF0"},
      {"-crc=9=0-8", "-endian=little", "S10E00003132333435363738394ED6F0"},
      {"-crc=9=0-8/16", "-endian=big", "S10E0000313233343536373839BB3D1C"},
      {"-crc=9=0-8/16", "-endian=little", "S10E00003132333435363738393DBB1C"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    dir.Write("app.mot", "S00600004844521B\nS10E0000313233343536373839FFFF16\nS9030000FC\n");
    CliRun run = RunSumwright(dir, {"app.mot", c.crcOption, c.endian, "-output=out.mot"});
    EXPECT_EQ(0, run.status) << c.crcOption << " " << c.endian;
    EXPECT_EQ(
        Banner() + "** L0500 (I) Generated CRC code at \"0x00000009\"\n\nSumwright Completed\n",
        run.messages);
    EXPECT_EQ(std::string(kOutHeader) + c.record + "\nS9030000FC\n", dir.Read("out.mot"));
  }
}

TEST(CliSRecord, InsertedCrcRecordCarriesTheRealCrc) {
  struct Case {
    std::vector<std::string> options;
    const char* record;
  };
  // Expected CRCs computed offline with python3-crcmod over the image 00..1F followed by
  // erased bytes (0xFF) up to 0xFFF.
  const Case cases[] = {
      {{"-crc=1000=0-FFF"}, "S105100090EE6C"},
      {{"-crc=1000=0-FFF", "-endian=little"}, "S1051000EE906C"},
      {{"-crc=1000=0-FFF/16"}, "S1051000BCF43A"},
      {{"-crc=1000=0-FFF/16", "-endian=little"}, "S1051000F4BC3A"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    dir.Write("app.mot", kSample);
    std::vector<std::string> arguments = {"app.mot", "-output=out.mot"};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    CliRun run = RunSumwright(dir, arguments);
    EXPECT_EQ(0, run.status) << c.options[0];
    EXPECT_EQ(std::string(kOutHeader) +
                  "S1130000000102030405060708090A0B0C0D0E0F74\n"
                  "S1130010101112131415161718191A1B1C1D1E1F64\n" +
                  c.record + "\nS9030000FC\n",
              dir.Read("out.mot"))
        << c.options[0];
  }
}

TEST(CliSRecord, RunningOnItsOwnOutputGivesTheSameFile) {
  // The code field lies outside every range, so the CRC of the output equals the one in it;
  // the same output name gives the same header.
  const char* const crcOptions[] = {"-crc=1000=0-FFF", "-crc=1000=0-FFF/16", "-crc=FFFF=0-1F",
                                    "-crc=FFFF=0-1F/16", "-crc=F=0-E,11-1F"};
  const char* const endians[] = {"-endian=big", "-endian=little"};
  for (const char* crcOption : crcOptions) {
    for (const char* endian : endians) {
      TempDir first;
      first.Write("app.mot", kSample);
      CliRun original = RunSumwright(first, {"app.mot", crcOption, endian, "-output=out.mot"});
      ASSERT_EQ(0, original.status) << crcOption << " " << endian << "\n" << original.messages;
      TempDir second;
      second.Write("app.mot", first.Read("out.mot"));
      CliRun run = RunSumwright(second, {"app.mot", crcOption, endian, "-output=out.mot"});
      EXPECT_EQ(0, run.status) << crcOption << " " << endian << "\n" << run.messages;
      EXPECT_EQ(first.Read("out.mot"), second.Read("out.mot")) << crcOption << " " << endian;
    }
  }
}

}  // namespace
}  // namespace sumwright
