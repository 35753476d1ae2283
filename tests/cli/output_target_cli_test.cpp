// SPDX-License-Identifier: MIT
// Runs of the real program whose output name is more than a new file: streams written into, and
// existing files replaced the way an open for writing reaches them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "support/cli_run.h"
#include "support/expected_messages.h"
#include "support/temp_dir.h"

namespace sumwright {
namespace {

constexpr char kSample[] =
    ":10000000000102030405060708090A0B0C0D0E0F78\n"
    ":10001000101112131415161718191A1B1C1D1E1F68\n"
    ":00000001FF\n";
// CRC-16/GENIBUS of the bytes 00 to 1F followed by FF up to FFFD is 3078 (Python's crcmod); the
// record's checksum is worked out by hand.
constexpr char kWithCrc[] =
    ":10000000000102030405060708090A0B0C0D0E0F78\n"
    ":10001000101112131415161718191A1B1C1D1E1F68\n"
    ":02FFFE00307859\n"
    ":00000001FF\n";
constexpr char kOld[] = "previous output\n";

std::vector<std::string> Arguments(const std::string& output) {
  return {"app.hex", "-crc=FFFE=0-FFFD", "-output=" + output};
}

// What lstat tells of a name: its kind, permission bits, owner and group.
std::string Describe(const std::string& path) {
  struct stat status;
  if (lstat(path.c_str(), &status) != 0) {
    return "missing";
  }
  const char* kind = S_ISLNK(status.st_mode)    ? "link"
                     : S_ISREG(status.st_mode)  ? "file"
                     : S_ISFIFO(status.st_mode) ? "fifo"
                                                : "other";
  char text[64];
  std::snprintf(text, sizeof text, "%s %04o %u:%u", kind,
                static_cast<unsigned>(status.st_mode & 07777), static_cast<unsigned>(status.st_uid),
                static_cast<unsigned>(status.st_gid));
  return text;
}

std::string LinkTarget(const std::string& path) {
  char text[4096];
  ssize_t length = readlink(path.c_str(), text, sizeof text);
  return length < 0 ? "" : std::string(text, static_cast<size_t>(length));
}

// Everything the other end of a pipe or socket holds now, up to its end.
std::string ReadAvailable(int descriptor) {
  std::string received;
  char block[4096];
  ssize_t got;
  while ((got = read(descriptor, block, sizeof block)) > 0) {
    received.append(block, static_cast<size_t>(got));
  }
  return received;
}

void ExpectCompleted(const CliRun& run, const std::string& messages = "") {
  EXPECT_EQ(0, run.status);
  EXPECT_EQ(Banner() + messages + L0500(0xFFFE) + kCompletedEnd, run.messages);
}

void ExpectRefused(const CliRun& run, const std::string& name) {
  EXPECT_EQ(1, run.status);
  EXPECT_EQ(Banner() + L3300(name) + kAbortEnd, run.messages);
}

TEST(CliOutputStream, FifoIsWrittenIntoOnlyWhenItHasAReader) {
  for (bool reading : {true, false}) {
    SCOPED_TRACE(reading ? "with a reader" : "without a reader");
    // Windows has no FIFOs; Wine opens one without a reader and fills its buffer.
    if (!reading && RunsWindowsProgram()) {
      continue;
    }
    TempDir dir;
    dir.Write("app.hex", kSample);
    ASSERT_EQ(0, mkfifo(dir.Path("f.hex").c_str(), 0644));
    // The output is small enough to wait in the FIFO until the run has ended.
    int reader = reading ? open(dir.Path("f.hex").c_str(), O_RDONLY | O_NONBLOCK) : -1;
    CliRun run = RunSumwright(dir, Arguments("f.hex"));
    if (reading) {
      ExpectCompleted(run);
      EXPECT_EQ(kWithCrc, ReadAvailable(reader));
      close(reader);
    } else {
      ExpectRefused(run, "f.hex");
    }
    EXPECT_EQ("fifo 0644", Describe(dir.Path("f.hex")).substr(0, 9));
    EXPECT_EQ("app.hex\nf.hex\n", dir.Listing());
  }
}

// A /dev of the run's own (a private mount namespace), with no device in it unless `commands`
// make one.
std::string PrivateDev(const std::string& commands) {
  return "unshare -m sh -c 'mount -t tmpfs tmpfs /dev " + commands + " && exec \"$0\" \"$@\"'";
}

TEST(CliOutputStream, NamesThatLeadToADescriptorAreWrittenIntoIt) {
  int socketEnds[2];
  ASSERT_EQ(0, socketpair(AF_UNIX, SOCK_STREAM, 0, socketEnds));
  struct Case {
    const char* what;
    const char* output;  // "": /proc/<the program's own process number>/fd/1
    std::string redirects;
    const char* received;  // what the descriptor's other end gets, or "refused"
    bool posixOnly;
    std::string wrapper = "";  // a private /dev needs root
  };
  // Other names that lead to a descriptor stand for it too: /dev/out links to /proc/self/fd/1.
  const std::string dev = PrivateDev(
      "&& ln -s /proc/self/fd /dev/fd && ln -s fd/1 /dev/stdout && ln -s /proc/self/fd/1 /dev/out");
  const Case cases[] = {
      {"standard output opened for appending", "/proc/self/fd/1", ">>out.hex", "appended", false},
      {"standard output on a socket", "/dev/fd/1", "1>&" + std::to_string(socketEnds[1]), "socket",
       false},
      // Windows names only its standard handles so.
      {"another descriptor", "/dev/fd/5", "5>out.hex", "written", true},
      {"a descriptor open for reading only", "/dev/fd/0", "", "refused", true},
      {"//dev/stdout", "//dev/stdout", ">>out.hex", "appended", true, dev},
      {"/dev/fd/./1", "/dev/fd/./1", ">>out.hex", "appended", true, dev},
      {"a link to /proc/self/fd/1", "/dev/out", ">>out.hex", "appended", true, dev},
      {"/proc/<pid>/fd/1", "", ">>out.hex", "appended", true,
       "sh -c 'exec \"$0\" \"$@\" -output=/proc/$$/fd/1'"},
      {"/dev/fd/./0", "/dev/fd/./0", "<out.hex", "refused", true, dev},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if ((c.posixOnly && RunsWindowsProgram()) || (c.wrapper == dev && geteuid() != 0)) {
      continue;
    }
    TempDir dir;
    dir.Write("app.hex", kSample);
    dir.Write("out.hex", kOld);
    CliSetup setup;
    setup.redirects = c.redirects;
    setup.wrapper = c.wrapper;
    std::vector<std::string> arguments = Arguments(c.output);
    if (*c.output == '\0') {
      arguments.pop_back();
    }
    CliRun run = RunSumwright(dir, arguments, setup);
    std::string received = c.received;
    if (received == "refused") {
      ExpectRefused(run, c.output);
      EXPECT_EQ(kOld, dir.Read("out.hex"));
    } else if (received == "socket") {
      ExpectCompleted(run);
      close(socketEnds[1]);
      EXPECT_EQ(kWithCrc, ReadAvailable(socketEnds[0]));
      EXPECT_EQ(kOld, dir.Read("out.hex"));
    } else {
      ExpectCompleted(run);
      EXPECT_EQ(received == "appended" ? kOld + std::string(kWithCrc) : kWithCrc,
                dir.Read("out.hex"));
    }
    EXPECT_EQ("app.hex\nout.hex\n", dir.Listing());
  }
  close(socketEnds[0]);
}

// Device nodes only in a /dev of the run's own (a private mount namespace), never the machine's:
// a program that replaced them would replace the machine's devices, as root.
TEST(CliPosixOutput, DevicesAreWrittenIntoOrRefusedButNeverReplaced) {
  // Wine's server opens files for the Windows program outside the run's mount namespace: the
  // Windows program would see the machine's /dev. Its devices are checked with NUL.
  if (geteuid() != 0 || RunsWindowsProgram()) {
    GTEST_SKIP() << "a private /dev needs root and the POSIX program";
  }
  CliSetup setup;
  // A block device whose driver holds no such minor: a program that opened it for writing
  // could not reach a real disk.
  setup.wrapper =
      "unshare -m sh -c 'mount -t tmpfs tmpfs /dev && mknod -m 666 /dev/null c 1 3 && "
      "mknod -m 666 /dev/disk b 259 1048575 && ln -s /proc/self/fd /dev/fd && "
      "ln -s fd/1 /dev/stdout && ln -s fd/2 /dev/stderr && \"$0\" \"$@\"; status=$?; "
      "stat -c \"%n %F\" /dev/null /dev/disk /dev/stdout /dev/stderr >dev.txt; exit $status'";
  struct Row {
    const char* name;
    bool refused;
    const char* standardOutput;
    const char* standardError;
  };
  const Row rows[] = {
      {"/dev/null", false, "", ""},
      {"/dev/stdout", false, kWithCrc, ""},
      {"/dev/stderr", false, "", kWithCrc},
      {"/dev/disk", true, "", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempDir dir;
    dir.Write("app.hex", kSample);
    CliRun run = RunSumwright(dir, Arguments(row.name), setup);
    if (row.refused) {
      ExpectRefused(run, row.name);
    } else {
      ExpectCompleted(run, row.standardError);
    }
    EXPECT_EQ(row.standardOutput, run.output);
    EXPECT_EQ(
        "/dev/null character special file\n/dev/disk block special file\n"
        "/dev/stdout symbolic link\n/dev/stderr symbolic link\n",
        dir.Read("dev.txt"));
    EXPECT_EQ("app.hex\ndev.txt\n", dir.Listing());
  }
}

// Started without some standard streams, the program opens the null device in their place before
// anything else, so that no file it opens takes one of them: the FIFO gets the output only, or
// nothing. Without a null device it ends at once.
TEST(CliPosixOutput, ClosedStandardStreamsNeverReachTheOutput) {
  struct Case {
    const char* redirects;
    const char* range;
    std::string wrapper;
    int status;
    const char* received;
  };
  const Case cases[] = {
      {"1>&- 2>&-", "-crc=1F=0-1E", "", 1, ""},  // L3315, printed nowhere
      {"0<&- 2>&-", "-crc=FFFE=0-FFFD", "", 0, kWithCrc},
      {"1>&-", "-crc=FFFE=0-FFFD", PrivateDev(""), 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.redirects);
    if (!c.wrapper.empty() && geteuid() != 0) {
      continue;  // a private /dev needs root
    }
    TempDir dir;
    dir.Write("app.hex", kSample);
    ASSERT_EQ(0, mkfifo(dir.Path("f.hex").c_str(), 0644));
    int reader = open(dir.Path("f.hex").c_str(), O_RDONLY | O_NONBLOCK);
    CliSetup setup;
    setup.wrapper = c.wrapper;
    setup.redirects = c.redirects;
    CliRun run = RunSumwright(dir, {"app.hex", c.range, "-output=f.hex"}, setup);
    EXPECT_EQ(c.status, run.status);
    EXPECT_EQ("", run.messages);
    EXPECT_EQ(c.received, ReadAvailable(reader));
    close(reader);
    EXPECT_EQ("app.hex\nf.hex\n", dir.Listing());
  }
}

// A link to a missing file, pointed elsewhere while the run reads its input: the run fails, and
// nothing is made where the link points now.
TEST(CliPosixOutput, LinkPointedElsewhereDuringTheRunGetsNothing) {
  TempDir dir;
  ASSERT_EQ(0, mkfifo(dir.Path("in.hex").c_str(), 0644));
  ASSERT_EQ(0, symlink("missing1.hex", dir.Path("l.hex").c_str()));
  // Not inherited by the program, which must see the input end.
  int feed = open(dir.Path("in.hex").c_str(), O_RDWR | O_CLOEXEC);
  CliProcess process = StartSumwright(dir, {"in.hex", "-crc=FFFE=0-FFFD", "-output=l.hex"});
  // Given its first line, the program looks at the output name, then waits for more input.
  const size_t first = std::string(kSample).find('\n') + 1;
  ASSERT_EQ(static_cast<ssize_t>(first), write(feed, kSample, first));
  EXPECT_TRUE(WaitFor(
      [&] { return ProcessName(process.pid) == "sumwright" && ProcessState(process.pid) == "S"; }));
  ASSERT_EQ(0, unlink(dir.Path("l.hex").c_str()));
  ASSERT_EQ(0, symlink("missing2.hex", dir.Path("l.hex").c_str()));
  const size_t rest = sizeof kSample - 1 - first;
  ASSERT_EQ(static_cast<ssize_t>(rest), write(feed, kSample + first, rest));
  close(feed);
  CliRun run = FinishSumwright(&process, 10);
  ExpectRefused(run, "l.hex");
  EXPECT_EQ("in.hex\nl.hex\n", dir.Listing());
  EXPECT_EQ("missing2.hex", LinkTarget(dir.Path("l.hex")));
}

// Runs that rename their finished output over one name at the same moment: the last rename wins,
// none fails, and nothing else is left. (An open and a later look at the name's entry may see
// different files; the name is then looked at again.) 20 runs at a time, 2000 in all.
TEST(CliPosixOutput, RunsWritingOneNameAtOnceAllComplete) {
  if (RunsWindowsProgram()) {
    GTEST_SKIP() << "too slow under Wine";
  }
  TempDir dir;
  dir.Write("app.hex", kSample);
  CliSetup setup;
  setup.wrapper =
      "sh -c 'for run in $(seq 20); do (for turn in $(seq 100); do \"$0\" \"$@\" 2>/dev/null ||"
      " echo \"$run.$turn\" >>failed.txt; done) & done; wait'";
  CliRun run = RunSumwright(dir, Arguments("out.hex"), setup);
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", dir.Read("failed.txt"));
  EXPECT_EQ(kWithCrc, dir.Read("out.hex"));
  EXPECT_EQ("app.hex\nout.hex\n", dir.Listing());
}

// Where the system will not link the unnamed temporary file by its descriptor, it is linked
// through /proc; where it links it neither way, the temporary file is named from the start.
TEST(CliPosixOutput, OutputIsCompleteWhicheverWayItsTemporaryFileIsNamed) {
  // The first linkat call, or every one, fails. The leak check cannot run under strace.
  for (const char* refused : {":when=1", ""}) {
    SCOPED_TRACE(refused);
    TempDir dir;
    dir.Write("app.hex", kSample);
    dir.Write("out.hex", kOld);
    CliSetup setup;
    setup.wrapper = std::string("env ASAN_OPTIONS=detect_leaks=0 strace -f -qq -o /dev/null ") +
                    "-e trace=linkat -e inject=linkat:error=ENOENT" + refused;
    ExpectCompleted(RunSumwright(dir, Arguments("out.hex"), setup));
    EXPECT_EQ(kWithCrc, dir.Read("out.hex"));
    EXPECT_EQ("app.hex\nout.hex\n", dir.Listing());
  }
}

// Input from a pipe that must be read twice (records out of order) and an output stream are kept
// in scratch files in $TMPDIR that never have a name there. (The thread sanitizer's runtime
// makes a file of its own there.)
TEST(CliPosixOutput, ScratchFilesNeverHaveAName) {
  TempDir dir;
  const std::string first = std::string(kSample).substr(0, 44);
  dir.Write("app.hex", std::string(kSample).substr(44, 44) + first + ":00000001FF\n");
  ASSERT_EQ(0, mkdir(dir.Path("tmp").c_str(), 0755));
  ASSERT_EQ(0, mkfifo(dir.Path("f.hex").c_str(), 0644));
  int reader = open(dir.Path("f.hex").c_str(), O_RDONLY | O_NONBLOCK);
  int events = inotify_init1(IN_NONBLOCK);
  ASSERT_LE(0, inotify_add_watch(events, dir.Path("tmp").c_str(), IN_CREATE));
  CliSetup setup;
  setup.before = "export TMPDIR=" + ShellWord(dir.Path("tmp"));
  setup.pipedInput = "app.hex";
  ExpectCompleted(RunSumwright(dir, {"/dev/stdin", "-crc=FFFE=0-FFFD", "-output=f.hex"}, setup));
  EXPECT_EQ(std::string(kWithCrc).substr(44, 44) + first + ":02FFFE00307859\n:00000001FF\n",
            ReadAvailable(reader));
  alignas(inotify_event) char event[4096];
  std::string created;
  for (ssize_t got = read(events, event, sizeof event), at = 0; at < got;) {
    const auto* entry = reinterpret_cast<const inotify_event*>(event + at);
    created += std::string(entry->name) + "\n";
    at += static_cast<ssize_t>(sizeof(inotify_event) + entry->len);
  }
  EXPECT_EQ(std::string::npos, created.find("sumwright")) << created;
  close(events);
  close(reader);
}

TEST(CliOutputStream, NulIsTheNullDeviceOnWindowsOnly) {
  TempDir dir;
  dir.Write("app.hex", kSample);
  CliRun run = RunSumwright(dir, Arguments("NUL"));
  ExpectCompleted(run);
  if (RunsWindowsProgram()) {
    EXPECT_EQ("app.hex\n", dir.Listing());
  } else {
    EXPECT_EQ(kWithCrc, dir.Read("NUL"));
  }
}

// The user other runs switch to, and the command that switches to it (only root can).
constexpr unsigned kNobody = 65534;
constexpr char kAsNobody[] = "setpriv --reuid=65534 --regid=65534 --clear-groups";

TEST(CliOutputReplace, ExistingFileKeepsItsLinkModeOwnerAndGroup) {
  struct Case {
    const char* what;
    const char* output;
    const char* checked;     // the file that receives the output
    mode_t mode;             // given to it (with owner and group nobody) before the run
    const char* link;        // what `output` links to, or null
    const char* attributes;  // of `checked` after the run (POSIX)
    bool refusedOnWindows;   // a read-only file
    bool posixOnly;
  };
  const Case cases[] = {
      {"link into another directory", "l.hex", "sub/t.hex", 0640, "sub/t.hex", "file 0640", false,
       false},
      // Where the target is missing, Windows cannot tell where it would be, and Wine does not
      // show the link at all.
      {"link to a missing file", "l.hex", "sub/new.hex", 0, "sub/new.hex", nullptr, false, true},
      {"file of another user, 0600", "o.hex", "o.hex", 0600, nullptr, "file 0600 65534:65534",
       false, false},
      {"read-only file, run by root", "o.hex", "o.hex", 0444, nullptr, "file 0444 65534:65534",
       true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.posixOnly && RunsWindowsProgram()) {
      continue;
    }
    TempDir dir;
    dir.Write("app.hex", kSample);
    ASSERT_EQ(0, mkdir(dir.Path("sub").c_str(), 0755));
    if (c.mode != 0) {
      dir.Write(c.checked, kOld);
      ASSERT_EQ(0, chmod(dir.Path(c.checked).c_str(), c.mode));
      if (geteuid() == 0) {
        ASSERT_EQ(0, chown(dir.Path(c.checked).c_str(), kNobody, kNobody));
      }
    }
    if (c.link != nullptr) {
      ASSERT_EQ(0, symlink(c.link, dir.Path(c.output).c_str()));
    }
    CliRun run = RunSumwright(dir, Arguments(c.output));
    if (c.refusedOnWindows && RunsWindowsProgram()) {
      ExpectRefused(run, c.output);
      EXPECT_EQ(kOld, dir.Read(c.checked));
    } else {
      ExpectCompleted(run);
      EXPECT_EQ(kWithCrc, dir.Read(c.checked));
    }
    // Windows files have no such permission bits, owner or group.
    if (c.attributes != nullptr && !RunsWindowsProgram() && geteuid() == 0) {
      std::string attributes = c.attributes;
      EXPECT_EQ(attributes, Describe(dir.Path(c.checked)).substr(0, attributes.size()));
    }
    if (c.link != nullptr) {
      EXPECT_EQ(c.link, LinkTarget(dir.Path(c.output)));
    }
    // No temporary file is left, beside the output or beside the link's target.
    EXPECT_EQ(c.link != nullptr ? "app.hex\nl.hex\nsub\n" : "app.hex\no.hex\nsub\n", dir.Listing());
    EXPECT_EQ(c.link != nullptr ? std::string(c.checked).substr(4) + "\n" : "", dir.Listing("sub"));
  }
}

// Runs as a user other than root (nobody, when the tests run as root), in a directory everybody
// may write: what an open for writing refuses stays as it is.
TEST(CliPosixOutput, FileThatAnOpenForWritingRefusesIsLeftAlone) {
  if (RunsWindowsProgram()) {
    GTEST_SKIP() << "Wine runs only as the owner of its prefix; read-only files on Windows are "
                    "checked as root";
  }
  struct Case {
    const char* what;
    const char* output;
    const char* checked;
    mode_t mode;       // of `checked`, owned by root when the tests run as root
    bool ownFile;      // `checked` belongs to the user who runs the program
    const char* link;  // what `output` links to, or null
    mode_t directory;  // of "sub"
    bool refused;
  };
  const Case cases[] = {
      {"read-only file", "o.hex", "o.hex", 0444, true, nullptr, 0755, true},
      {"link to a file of another user", "l.hex", "sub/t.hex", 0644, false, "sub/t.hex", 0777,
       true},
      // The rename needs the directory, even where the file may be written.
      {"writable file in a read-only directory", "sub/t.hex", "sub/t.hex", 0666, false, nullptr,
       0555, true},
      {"own file, 0600", "o.hex", "o.hex", 0600, true, nullptr, 0755, false},
  };
  bool root = geteuid() == 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (!c.ownFile && !root) {
      continue;  // only root can give a file to another user
    }
    TempDir dir;
    ASSERT_EQ(0, chmod(dir.path().c_str(), 0777));
    dir.Write("app.hex", kSample);
    ASSERT_EQ(0, mkdir(dir.Path("sub").c_str(), 0755));
    dir.Write(c.checked, kOld);
    ASSERT_EQ(0, chmod(dir.Path(c.checked).c_str(), c.mode));
    if (c.ownFile && root) {
      ASSERT_EQ(0, chown(dir.Path(c.checked).c_str(), kNobody, kNobody));
    }
    if (c.link != nullptr) {
      ASSERT_EQ(0, symlink(c.link, dir.Path(c.output).c_str()));
    }
    ASSERT_EQ(0, chmod(dir.Path("sub").c_str(), c.directory));
    CliSetup setup;
    setup.wrapper = root ? kAsNobody : "";
    CliRun run = RunSumwright(dir, Arguments(c.output), setup);
    chmod(dir.Path("sub").c_str(), 0755);
    if (c.refused) {
      ExpectRefused(run, c.output);
      EXPECT_EQ(kOld, dir.Read(c.checked));
    } else {
      ExpectCompleted(run);
      EXPECT_EQ(kWithCrc, dir.Read(c.checked));
    }
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(c.mode));
    EXPECT_EQ(std::string("file ") + mode, Describe(dir.Path(c.checked)).substr(0, 9));
    EXPECT_EQ("app.hex\n" + std::string(c.link != nullptr ? "l.hex\n" : "") +
                  (c.checked == std::string("o.hex") ? "o.hex\n" : "") + "sub\n",
              dir.Listing());
  }
}

// A link that another user planted in a shared sticky directory is followed exactly where an
// open for writing would follow it. With fs.protected_symlinks on, the kernel refuses it to root,
// which must then not replace the file it points to; with the setting off it follows.
TEST(CliOutputReplace, PlantedLinkIsFollowedOnlyWhereAnOpenForWritingWould) {
  std::ifstream setting("/proc/sys/fs/protected_symlinks");
  int protectedSymlinks = 0;
  setting >> protectedSymlinks;
  // Only root can give the link to another user.
  bool root = geteuid() == 0;
  bool refused = root && protectedSymlinks == 1;
  TempDir dir;
  dir.Write("app.hex", kSample);
  dir.Write("victim.hex", kOld);
  ASSERT_EQ(0, mkdir(dir.Path("shared").c_str(), 0777));
  ASSERT_EQ(0, chmod(dir.Path("shared").c_str(), 01777));
  ASSERT_EQ(0, symlink("../victim.hex", dir.Path("shared/out.hex").c_str()));
  if (root) {
    ASSERT_EQ(0, lchown(dir.Path("shared/out.hex").c_str(), kNobody, kNobody));
  }
  CliRun run = RunSumwright(dir, Arguments("shared/out.hex"));
  if (refused) {
    ExpectRefused(run, "shared/out.hex");
    EXPECT_EQ(kOld, dir.Read("victim.hex"));
  } else {
    ExpectCompleted(run);
    EXPECT_EQ(kWithCrc, dir.Read("victim.hex"));
  }
  EXPECT_EQ("../victim.hex", LinkTarget(dir.Path("shared/out.hex")));
  EXPECT_EQ("out.hex\n", dir.Listing("shared"));
  EXPECT_EQ("app.hex\nshared\nvictim.hex\n", dir.Listing());
}

TEST(CliOutputName, NameAtTheFileNameLimitWorks) {
  TempDir dir;
  dir.Write("app.hex", kSample);
  // 255 bytes: the longest name of most file systems.
  std::string name = std::string(251, 'a') + ".hex";
  CliRun run = RunSumwright(dir, Arguments(name));
  ExpectCompleted(run);
  EXPECT_EQ(kWithCrc, dir.Read(name));
  EXPECT_EQ(name + "\napp.hex\n", dir.Listing());
}

}  // namespace
}  // namespace sumwright
