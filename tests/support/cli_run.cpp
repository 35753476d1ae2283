// Runs the built sumwright program in a directory and captures what it printed.
#include "support/cli_run.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace sumwright {

namespace {

// Quotes one word for the POSIX shell: the word as it stands, whatever bytes it holds.
std::string ShellWord(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

std::string ReadFile(const std::string& name) {
  std::ifstream file(name, std::ios::binary);
  std::ostringstream contents;
  contents << file.rdbuf();
  return contents.str();
}

std::string Environment(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0' ? value : fallback;
}

}  // namespace

CliRun RunSumwright(const TempDir& dir, const std::vector<std::string>& arguments,
                    const std::string& pipedInput) {
  std::string exe = Environment("SUMWRIGHT_EXE", SUMWRIGHT_DEFAULT_EXE);
  std::string launcher = Environment("SUMWRIGHT_LAUNCHER", "");
  // Standard error and output go to files outside the directory, so that the directory holds
  // only what the program wrote.
  std::string capture = dir.path() + ".capture";
  std::string command = "cd " + ShellWord(dir.path()) + " && ";
  if (!pipedInput.empty()) {
    command += "cat " + ShellWord(pipedInput) + " | ";
  }
  command += launcher + " " + ShellWord(exe);
  for (const auto& argument : arguments) {
    command += " " + ShellWord(argument);
  }
  if (pipedInput.empty()) {
    command += " </dev/null";
  }
  command += " >" + ShellWord(capture + ".out") + " 2>" + ShellWord(capture + ".err");
  int raw = std::system(command.c_str());
  CliRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.messages = ReadFile(capture + ".err");
  run.output = ReadFile(capture + ".out");
  std::remove((capture + ".out").c_str());
  std::remove((capture + ".err").c_str());
  return run;
}

bool RunsWindowsProgram() {
  std::string exe = Environment("SUMWRIGHT_EXE", SUMWRIGHT_DEFAULT_EXE);
  return exe.size() >= 4 && exe.compare(exe.size() - 4, 4, ".exe") == 0;
}

std::string Banner() {
  return "Sumwright Version 1.0.0\n";
}

}  // namespace sumwright
