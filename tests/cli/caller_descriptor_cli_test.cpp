// SPDX-License-Identifier: MIT
// Runs of the real program whose output is a stream: only a descriptor the caller passed on is
// written into, and a stream's output fails with the cause named.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/cli_run.h"
#include "support/expected_messages.h"
#include "support/temp_dir.h"

namespace sumwright {
namespace {

constexpr char kAscending[] =
    ":10000000000102030405060708090A0B0C0D0E0F78\n"
    ":10001000101112131415161718191A1B1C1D1E1F68\n"
    ":00000001FF\n";
constexpr char kDescending[] =
    ":10001000101112131415161718191A1B1C1D1E1F68\n"
    ":10000000000102030405060708090A0B0C0D0E0F78\n"
    ":00000001FF\n";
// CRC-16/GENIBUS of the bytes 00 to 1F followed by FF up to FFFD is 3078 (Python's crcmod); the
// record's checksum is worked out by hand.
constexpr char kCrcRecord[] = ":02FFFE00307859\n";

// The program opens its input, and for a pipe a scratch file, on the lowest free descriptors,
// from 3 on: with every inherited descriptor closed, some of 3 to 9 are the program's own and
// the rest are closed. None of them is the caller's, so none may take the output, whatever it is
// open on. Standard output closed at the start is the null device the program put there.
TEST(CliPosixOutput, DescriptorTheCallerDidNotPassNeverTakesTheOutput) {
  if (RunsWindowsProgram()) {
    GTEST_SKIP() << "Windows names only its standard handles so";
  }
  struct Input {
    const char* what;
    const char* text;
    bool piped;
  };
  const Input inputs[] = {
      {"file", kAscending, false},
      {"pipe", kAscending, true},
      {"pipe, records descending", kDescending, true},
  };
  std::vector<std::string> names = {"/dev/stdout"};
  for (const char* prefix : {"/dev/fd/", "/proc/self/fd/"}) {
    for (int descriptor = 3; descriptor <= 9; ++descriptor) {
      names.push_back(prefix + std::to_string(descriptor));
    }
  }
  for (const Input& input : inputs) {
    for (const std::string& name : names) {
      SCOPED_TRACE(std::string(input.what) + ", -output=" + name);
      TempDir dir;
      dir.Write("app.hex", input.text);
      CliSetup setup;
      setup.closeInherited = true;
      setup.pipedInput = input.piped ? "app.hex" : "";
      setup.redirects = name == "/dev/stdout" ? ">&-" : "";
      CliRun run = RunSumwright(
          dir, {input.piped ? "/dev/stdin" : "app.hex", "-crc=FFFE=0-FFFD", "-output=" + name},
          setup);
      EXPECT_EQ(1, run.status);
      // Descriptor 3 is the input itself, which the options already refuse as output.
      bool namesInput = name.back() == '3';
      EXPECT_EQ(Banner() + (namesInput ? L2011("output", name) : L3300(name)) + kAbortEnd,
                run.messages);
      EXPECT_EQ("app.hex\n", dir.Listing());
    }
  }
  // The caller's own descriptors are written into, also among the program's.
  for (const char* redirect : {"4>out.hex", ">out.hex"}) {
    SCOPED_TRACE(redirect);
    TempDir dir;
    dir.Write("app.hex", kDescending);
    CliSetup setup;
    setup.closeInherited = true;
    setup.pipedInput = "app.hex";
    setup.redirects = redirect;
    const std::string output = *redirect == '4' ? "/dev/fd/4" : "/dev/stdout";
    CliRun run = RunSumwright(dir, {"/dev/stdin", "-crc=FFFE=0-FFFD", "-output=" + output}, setup);
    EXPECT_EQ(0, run.status);
    EXPECT_EQ(Banner() + L0500(0xFFFE) + kCompletedEnd, run.messages);
    std::string expected = kDescending;
    expected.insert(expected.size() - 12, kCrcRecord);
    EXPECT_EQ(expected, dir.Read("out.hex"));
  }
}

// A stream's output is gathered in a scratch file first, so that a failed run writes nothing
// into the stream; where that file cannot be made, its directory is named, not the stream.
TEST(CliPosixOutput, StreamWithoutAScratchFileNamesTheDirectory) {
  TempDir dir;
  dir.Write("app.hex", kAscending);
  CliSetup setup;
  setup.before = "export TMPDIR=" + ShellWord(dir.Path("missing"));
  CliRun run = RunSumwright(dir, {"app.hex", "-crc=FFFE=0-FFFD", "-output=/dev/stdout"}, setup);
  EXPECT_EQ(1, run.status);
  EXPECT_EQ(Banner() + L3300(dir.Path("missing")) + kAbortEnd, run.messages);
  EXPECT_EQ("", run.output);
}

}  // namespace
}  // namespace sumwright
