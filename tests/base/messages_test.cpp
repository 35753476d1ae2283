// Tests of the fixed texts and the internal-error report.
#include "base/messages.h"

#include <gtest/gtest.h>

#include "support/expected_messages.h"

namespace sumwright {
namespace {

TEST(Messages, InternalErrorPrintsCategoryLocationAndNullTextThenEndsWithStatusOne) {
  EXPECT_EXIT(ReportInternalError(kTextMemory), testing::ExitedWithCode(1), Exactly(L4000(4, 105)));
}

TEST(Messages, FormatsAddressesAsEightUpperCaseDigits) {
  testing::internal::CaptureStderr();
  Message(kL0500GeneratedCrc, uint32_t{0x1FFFE});
  Message(kL2013InvalidAddressValue, "crc", uint32_t{0x200});
  Message(kL2022RangesOverlap, "crc", uint32_t{0xff}, uint32_t{0xabcdef});
  EXPECT_EQ(
      "** L0500 (I) Generated CRC code at \"0x0001FFFE\"\n"
      "** L2013 (E) Invalid address value specified in option \"crc\" : \"0x00000200\"\n"
      "** L2022 (E) Address ranges overlap in option \"crc\" : \"000000FF-00ABCDEF\"\n",
      testing::internal::GetCapturedStderr());
}

}  // namespace
}  // namespace sumwright
