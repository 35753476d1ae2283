// Tests of the S-record field accessors and line reader.
#include "input/s_record_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "support/record_reading.h"

namespace sumwright {
namespace {

TEST(SRecordFields, TypeAndAddressByType) {
  struct Case {
    const char* text;
    bool typeOk;
    uint32_t type;
    bool addressOk;
    const char* address;
    uint32_t value;
  };
  const Case cases[] = {
      {"S1131000000102030405060708090A0B0C0D0E0F64", true, 1, true, "1000", 0x1000},
      {"S2080123450102030484", true, 2, true, "012345", 0x12345},
      {"S30DFFFFFFF00102030405060708E9", true, 3, true, "FFFFFFF0", 0xFFFFFFF0},
      {"S9031000EC", true, 9, true, "1000", 0x1000},
      {"S804012345B2", true, 8, true, "012345", 0x12345},
      {"S70500001000EA", true, 7, true, "00001000", 0x1000},
      {"s1031000", true, 1, true, "1000", 0x1000},
      {"S1 3abcd", true, 1, true, "abcd", 0xABCD},
      {"S007000048445221F9", true, 0, false, "", 0},
      {"S5030001FB", true, 5, false, "", 0},
      {"S4030001FB", true, 4, false, "", 0},
      {"S6040000011A", true, 6, false, "", 0},
      {"SA031000EC", true, 10, false, "", 0},
      {"Sf031000EC", true, 15, false, "", 0},
      // Texts too short for the address field.
      {"S103100", true, 1, false, "", 0},
      {"S20401234", true, 2, false, "", 0},
      {"S3050000100", true, 3, false, "", 0},
      {"S903100", true, 9, false, "", 0},
      // Not hexadecimal, or no type at all.
      {"S10310G0EC", true, 1, false, "10G0", 0},
      {"SG031000EC", false, 0, false, "", 0},
      {"S", false, 0, false, "", 0},
      {"", false, 0, false, "", 0},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    SRecordLine line = LineOf<SRecordLine>(text);
    uint32_t type = 99;
    EXPECT_EQ(c.typeOk, RecordType(line, &type)) << c.text;
    if (c.typeOk) {
      EXPECT_EQ(c.type, type) << c.text;
    }
    std::string_view address;
    bool textOk = AddressText(line, &address);
    EXPECT_EQ(c.addressOk || std::string(c.address).size() > 0, textOk) << c.text;
    if (textOk) {
      EXPECT_EQ(c.address, address) << c.text;
    }
    uint32_t value = 0;
    EXPECT_EQ(c.addressOk, AddressValue(line, &value)) << c.text;
    if (c.addressOk) {
      EXPECT_EQ(c.value, value) << c.text;
    }
  }
}

TEST(SRecordFields, DataTextRunsFromAfterTheAddressToTheChecksum) {
  ExpectDataTexts<SRecordLine>({
      {"S1071000DEADBEEFxx", true, "DEADBEEF"},
      {"S2080123450102030484", true, "01020304"},
      {"S30900001000a1b2c3d4xx", true, "a1b2c3d4"},
      {"S106100001020304x", true, "0102030"},
      {"S1031000EC", true, ""},
      // One character after the address: no whole checksum, no data digits.
      {"S1031000E", true, ""},
      {"S1031000", false, ""},
      {"S204012345E", true, ""},
      {"S204012345", false, ""},
      {"S30500001000E", true, ""},
      {"S30500001000", false, ""},
      {"S007000048445221F9", false, ""},
      {"S9031000EC", false, ""},
      {"S5030001FB", false, ""},
  });
}

TEST(SRecordReader, RecordsByTypeWithTheirPlacement) {
  ExpectReadRows<SRecordLine>({
      // S1 at 1000 with 16 bytes spans 1000-100F: within for 100E, before for 1010, after
      // for FFE.
      {"S1 within", 0x100E, {"S1131000000102030405060708090A0B0C0D0E0F64"}, "S1 00001000 Within\n"},
      {"S1 before", 0x1010, {"S1131000000102030405060708090A0B0C0D0E0F64"}, "S1 00001000 Before\n"},
      {"S1 after", 0x0FFE, {"S1131000000102030405060708090A0B0C0D0E0F64"}, "S1 00001000 After\n"},
      {"S1 split first at its last byte",
       0x100F,
       {"S1131000000102030405060708090A0B0C0D0E0F64"},
       "S1 00001000 SplitFirst\n"},
      // S2 at 012345 with 4 bytes spans 12345-12348.
      {"S2 within at its end", 0x12347, {"S2080123450102030484"}, "S2 00012345 Within\n"},
      {"S2 split first", 0x12348, {"S2080123450102030484"}, "S2 00012345 SplitFirst\n"},
      // S3 at FFFFFFF0 with 32 bytes wraps to F: c + 1 = 11 lies below the start.
      {"S3 wrapping past the top",
       0x10,
       {"S325FFFFFFF00000000000000000000000000000000000000000000000000000000000000000ED"},
       "S3 FFFFFFF0 After\n"},
      // 7 data digits are 3 whole bytes: 1000-1002.
      {"odd digit count", 0x1002, {"S106100001020304x"}, "S1 00001000 SplitFirst\n"},
      {"header whatever follows",
       0x0,
       {"S0", "S0zz", "S007000048445221F9"},
       "S0 00000000 Before\nS0 00000000 Before\nS0 00000000 Before\n"},
      {"termination records",
       0x0,
       {"S9031000EC", "S804012345B2", "S70500001000EA"},
       "S9 00000000 After\nS8 00000000 After\nS7 00000000 After\n"},
      {"wrong checksum, wrong count, any start character",
       0xFFFF,
       {"S1FF1000DEAD00", "s1031000EC", "X1051000AAFF"},
       "S1 00001000 Before\nS1 00001000 Before\nS1 00001000 Before\n"},
      {"lines after the termination record",
       0xFFFF,
       {"S9031000EC", "S1051000AAFF"},
       "S9 00000000 After\nS1 00001000 Before\n"},
      {"split over two records",
       0x1000,
       {"S1051000AAFF", "S1051001BBFF"},
       "S1 00001000 SplitFirst\nS1 00001001 SplitSecond\n"},
      // No whole data byte: placed by the start, never part of a split.
      {"no data at the code address", 0x1000, {"S1031000EC"}, "S1 00001000 Before\n"},
      {"no data right after the code address", 0x1000, {"S1031001EB"}, "S1 00001001 After\n"},
      {"one digit right after the code address", 0x1000, {"S1041001AEB"}, "S1 00001001 After\n"},
      {"no data does not close a split",
       0x1000,
       {"S1051000AAFF", "S1031001EB"},
       "S1 00001000 SplitFirst\nS1 00001001 After\n"},
  });
}

TEST(SRecordReader, RefusalsPrintNothing) {
  struct Case {
    const char* name;
    uint32_t code;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"S4", 0x0, {"S4030001FB"}},
      {"S5", 0x0, {"S5030001FB"}},
      {"S6", 0x0, {"S6040000011A"}},
      {"SA", 0x0, {"SA031000EC"}},
      {"Sb", 0x0, {"Sb031000EC"}},
      {"SF", 0x0, {"SF031000EC"}},
      {"type not a digit", 0x0, {"SX031000EC"}},
      {"empty", 0x0, {""}},
      {"S alone", 0x0, {"S"}},
      {"S1 address too short", 0x0, {"S103100"}},
      {"S2 address too short", 0x0, {"S20401234"}},
      {"S3 address too short", 0x0, {"S3050000100"}},
      {"S1 ends after its address", 0x0, {"S1031000"}},
      {"S1 address not hex", 0x0, {"S1031G00EC"}},
      {"S9 address not hex", 0x0, {"S90310-0EC"}},
      {"S8 too short", 0x0, {"S804012"}},
      {"S7 too short", 0x0, {"S7050000100"}},
      {"begins at c + 1 with no record ending at c", 0x1000, {"S1051001BBFF"}},
      {"split in the wrong order", 0x1000, {"S1051001BBFF", "S1051000AAFF"}},
      {"wrapping past the top over the code field",
       0x5,
       {"S325FFFFFFF00000000000000000000000000000000000000000000000000000000000000000ED"}},
  };
  for (const Case& c : cases) {
    testing::internal::CaptureStderr();
    std::string records = ReadRows<SRecordLine>(c.code, c.lines);
    EXPECT_EQ("", testing::internal::GetCapturedStderr()) << c.name;
    EXPECT_EQ("refused\n", records) << c.name;
  }
}

}  // namespace
}  // namespace sumwright
