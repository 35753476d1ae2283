// Tests of the -crc option: its pieces, the range list and the checks against the code field.
#include "options/crc_option.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/expected_messages.h"

namespace sumwright {
namespace {

TEST(CrcOption, SplitsTokenIntoCodeAddressRangeTextAndAlgorithm) {
  struct Case {
    const char* token;
    bool accepted;
    uint32_t codeAddress;
    const char* rangeText;
    CrcAlgorithm algorithm;
  };
  const Case cases[] = {
      {"-crc=FFFE=0-FFFD", true, 0xFFFE, "0-FFFD", Ccitt},
      {"-CRC=1000=0-FF/16", true, 0x1000, "0-FF", Crc16},
      {"-Crc=1000=0-FF/CCITT", true, 0x1000, "0-FF", Ccitt},
      {"-cr=1000=0-FF,,200-2FF", true, 0x1000, "0-FF,,200-2FF", Ccitt},
      // Empty pieces are skipped: "==" before the code address, "//" before the algorithm.
      {"-crc==1000=0-FF//16", true, 0x1000, "0-FF", Crc16},
      // Anything after a further "/" is ignored; an empty algorithm keeps the default.
      {"-crc=1000=0-FF/16/junk", true, 0x1000, "0-FF", Crc16},
      {"-crc=1000=0-FF/", true, 0x1000, "0-FF", Ccitt},
      // Leading "/" before the range text is skipped, so "16" becomes the range text.
      {"-crc=1000=/16", true, 0x1000, "16", Ccitt},
      // A further "=" stays in the range text.
      {"-crc=1000==0-FF", true, 0x1000, "=0-FF", Ccitt},
      {"-crc=1000=0-FF=1", true, 0x1000, "0-FF=1", Ccitt},
      {"-crc=FFFFFFFE=0-FF", true, 0xFFFFFFFE, "0-FF", Ccitt},
      {"-crc=0=2-FFFFFFFF", true, 0, "2-FFFFFFFF", Ccitt},
  };
  for (const Case& c : cases) {
    OptionState state;
    testing::internal::CaptureStderr();
    EXPECT_EQ(c.accepted, ParseCrcOption(c.token, &state)) << c.token;
    EXPECT_EQ("", testing::internal::GetCapturedStderr()) << c.token;
    EXPECT_EQ(c.codeAddress, state.codeAddress) << c.token;
    EXPECT_TRUE(state.hasRangeText) << c.token;
    EXPECT_EQ(c.rangeText, state.rangeText) << c.token;
    EXPECT_EQ(c.algorithm, state.crcAlgorithm) << c.token;
    EXPECT_EQ(1u, state.crcCount) << c.token;
  }
}

TEST(CrcOption, RefusesBadTokensWithTheirMessage) {
  struct Case {
    const char* token;
    std::string messages;
  };
  const Case cases[] = {
      {"-crc", L2010("crc")},
      {"-crc=", L2010("crc")},
      {"-crc===", L2010("crc")},
      {"-crc=FFFFFFFF=0-FF", L2013("-crc", "FFFFFFFF")},
      {"-crc=000001000=0-FF", L2013("-crc", "000001000")},
      {"-crc=0x1000=0-FF", L2011("crc", "0x1000")},
      {"-crc=1000H=0-FF", L2011("crc", "1000H")},
      {"-crc=1000", L2011("crc", "1000")},
      {"-crc=1000=", L2011("crc", "1000=")},
      {"-crc=1000=//", L2011("crc", "1000=//")},
      {"-crc=1000=0-FF/ccitt", L2011("crc", "ccitt")},
      {"-crc=1000=0-FF/CRC16", L2011("crc", "CRC16")},
      // An -output option whose file name holds "-cr" is taken for -crc.
      {"-output=x-cr.hex", L2011("crc", "x-cr.hex")},
      {"-output=x-crc.hex", L2013("-crc", "x-crc.hex")},
  };
  for (const Case& c : cases) {
    OptionState state;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(ParseCrcOption(c.token, &state)) << c.token;
    EXPECT_EQ(c.messages, testing::internal::GetCapturedStderr()) << c.token;
    EXPECT_EQ(0u, state.crcCount) << c.token;
  }
}

TEST(CrcOption, LastAcceptedOptionWinsAndAlgorithmCarriesOver) {
  OptionState state;
  EXPECT_TRUE(ParseCrcOption("-crc=1000=0-FF/16", &state));
  EXPECT_TRUE(ParseCrcOption("-crc=2000=0-1FF", &state));
  EXPECT_FALSE(ParseCrcOption("-crc=3000=0-2FF/ccitt", &state));
  EXPECT_EQ(0x2000u, state.codeAddress);
  EXPECT_EQ("0-1FF", state.rangeText);
  EXPECT_EQ(Crc16, state.crcAlgorithm);
  EXPECT_EQ(2u, state.crcCount);
}

struct RangeCase {
  const char* rangeText;
  bool parsed;
  std::string messages;
  std::vector<std::pair<uint32_t, uint32_t>> ranges;
};

std::vector<std::pair<uint32_t, uint32_t>> Pairs(const std::vector<AddressRange>& ranges) {
  std::vector<std::pair<uint32_t, uint32_t>> pairs;
  for (const AddressRange& range : ranges) {
    pairs.emplace_back(range.start, range.end);
  }
  return pairs;
}

TEST(CrcOption, ParsesRangeListItemByItem) {
  const RangeCase cases[] = {
      {"0-FF", true, "", {{0, 0xFF}}},
      {"200-2FF,0-ff", true, "", {{0x200, 0x2FF}, {0, 0xFF}}},
      {",0-FF,,200-2FF,", true, "", {{0, 0xFF}, {0x200, 0x2FF}}},
      {"", true, "", {}},
      {",,,", true, "", {}},
      // Leading "-" are skipped and anything after a further "-" is ignored.
      {"0-FF-1FF", true, "", {{0, 0xFF}}},
      {"--10--20", true, "", {{0x10, 0x20}}},
      {"0-FFFFFFFF", true, "", {{0, 0xFFFFFFFF}}},
      {"FFFFFFFF-0", true, "", {{0xFFFFFFFF, 0}}},
      {"16", false, L2012("16"), {}},
      {"100-", false, L2012("100-"), {}},
      {"0-FF,300", false, L2012("300"), {{0, 0xFF}}},
      {"000000000-FF", false, L2013("crc", "000000000"), {}},
      {"0-100000000", false, L2013("-crc", "100000000"), {}},
      {"0x0-FF", false, L2011("crc", "0x0"), {}},
      {"0-FFH", false, L2011("crc", "FFH"), {}},
      {" 0-FF", false, L2011("crc", " 0"), {}},
      {"0-FF ", false, L2011("crc", "FF "), {}},
      {"=0-FF", false, L2011("crc", "=0"), {}},
      // The first bad item stops the list; later items are not examined.
      {"0-FF,X-1,Y-2", false, L2011("crc", "X"), {{0, 0xFF}}},
      // A bad start is reported before a missing end.
      {"XYZ", false, L2011("crc", "XYZ"), {}},
  };
  for (const RangeCase& c : cases) {
    OptionState state;
    state.hasRangeText = true;
    state.rangeText = c.rangeText;
    testing::internal::CaptureStderr();
    EXPECT_EQ(c.parsed, ParseRangeList(&state)) << c.rangeText;
    EXPECT_EQ(c.messages, testing::internal::GetCapturedStderr()) << c.rangeText;
    EXPECT_EQ(c.ranges, Pairs(state.ranges)) << c.rangeText;
  }
}

TEST(CrcOption, ItemOfHyphensOnlyIsInternalError4And103) {
  OptionState state;
  state.hasRangeText = true;
  state.rangeText = "0-FF,---";
  EXPECT_EXIT(ParseRangeList(&state), testing::ExitedWithCode(1), Exactly(L4000(4, 103)));
}

TEST(CrcOption, RangeListWithoutRangeTextIsInternalError1And395) {
  OptionState state;
  EXPECT_EXIT(ParseRangeList(&state), testing::ExitedWithCode(1), Exactly(L4000(1, 395)));
}

TEST(CrcOption, ChecksSortedRangesAgainstCodeFieldAndEachOther) {
  struct Case {
    const char* token;
    bool valid;
    std::string messages;
  };
  const Case cases[] = {
      {"-crc=FFFE=0-FFFD", true, ""},
      {"-crc=100=0-100", false, L2022("00000100-00000100")},
      {"-crc=100=0-1FF", false, L2022("00000100-00000101")},
      {"-crc=100=101-200", false, L2022("00000101-00000101")},
      {"-crc=100=0-FF,102-1FF", true, ""},
      {"-crc=1000=0-FF,100-1FF", true, ""},
      {"-crc=1000=0-FF,FF-1FF", false, L2022("000000FF-000000FF")},
      {"-crc=1000=0-2FF,100-1FF", false, L2022("00000100-000002FF")},
      {"-crc=1000=200-2FF,0-FF", true, ""},
      // Sorted before checking: the overlap is found between neighbours in address order.
      {"-crc=1000=300-3FF,0-FF,F0-2FF", false, L2022("000000F0-000000FF")},
      {"-crc=1000=2FF-200", false, L2013("crc", "0x00000200")},
      // Each range is checked in address order; the first failure is reported.
      {"-crc=1000=200-100,0-FF", false, L2013("crc", "0x00000100")},
      {"-crc=1000=60-50,0-FF", false, L2022("00000060-000000FF")},
      {"-crc=0=2-FFFFFFFF", true, ""},
      {"-crc=FFFFFFFE=0-FFFFFFFD", true, ""},
      {"-crc=FFFFFFFE=0-FFFFFFFF", false, L2022("FFFFFFFE-FFFFFFFF")},
      {"-crc=FFFFFFFE=FFFFFFFF-FFFFFFFF", false, L2022("FFFFFFFF-FFFFFFFF")},
      {"-crc=1000=,", false, ""},
  };
  for (const Case& c : cases) {
    OptionState state;
    ASSERT_TRUE(ParseCrcOption(c.token, &state)) << c.token;
    ASSERT_TRUE(ParseRangeList(&state)) << c.token;
    testing::internal::CaptureStderr();
    EXPECT_EQ(c.valid, CheckRanges(&state)) << c.token;
    EXPECT_EQ(c.messages, testing::internal::GetCapturedStderr()) << c.token;
  }
}

TEST(CrcOption, CheckedRangesStaySortedForTheCrcWalk) {
  OptionState state;
  ASSERT_TRUE(ParseCrcOption("-crc=1000=200-2FF,0-FF,100-1FF", &state));
  ASSERT_TRUE(ParseRangeList(&state));
  EXPECT_TRUE(CheckRanges(&state));
  std::vector<std::pair<uint32_t, uint32_t>> expected = {{0, 0xFF}, {0x100, 0x1FF}, {0x200, 0x2FF}};
  EXPECT_EQ(expected, Pairs(state.ranges));
}

}  // namespace
}  // namespace sumwright
