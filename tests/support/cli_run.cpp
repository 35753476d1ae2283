// Runs the built sumwright program in a directory and captures what it printed.
#include "support/cli_run.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace sumwright {

namespace {

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

// The shell command of a run: its standard error and output go to files outside the directory,
// so that the directory holds only what the program wrote.
std::string Command(const TempDir& dir, const std::vector<std::string>& arguments,
                    const CliSetup& setup, const std::string& capture) {
  std::string exe = Environment("SUMWRIGHT_EXE", SUMWRIGHT_DEFAULT_EXE);
  std::string launcher = Environment("SUMWRIGHT_LAUNCHER", "");
  std::string command = "cd " + ShellWord(dir.path()) + " && ";
  if (!setup.before.empty()) {
    command += setup.before + "; ";
  }
  if (!setup.pipedInput.empty()) {
    command += "cat " + ShellWord(setup.pipedInput) + " | ";
  }
  command += "exec " + setup.wrapper + " " + launcher + " " + ShellWord(exe);
  for (const auto& argument : arguments) {
    command += " " + ShellWord(argument);
  }
  if (setup.pipedInput.empty()) {
    command += " </dev/null";
  }
  return command + " >" + ShellWord(capture + ".out") + " 2>" + ShellWord(capture + ".err") +
         " " + setup.redirects;
}

CliRun Collect(int raw, const std::string& capture) {
  CliRun run;
  if (WIFEXITED(raw)) {
    run.status = WEXITSTATUS(raw);
  } else if (WIFSIGNALED(raw)) {
    run.status = 128 + WTERMSIG(raw);
  }
  run.messages = ReadFile(capture + ".err");
  run.output = ReadFile(capture + ".out");
  std::remove((capture + ".out").c_str());
  std::remove((capture + ".err").c_str());
  return run;
}

}  // namespace

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

CliRun RunSumwright(const TempDir& dir, const std::vector<std::string>& arguments,
                    const CliSetup& setup) {
  CliProcess process = StartSumwright(dir, arguments, setup);
  return FinishSumwright(&process);
}

CliProcess StartSumwright(const TempDir& dir, const std::vector<std::string>& arguments,
                          const CliSetup& setup) {
  CliProcess process;
  process.capture = dir.path() + ".capture";
  std::string command = Command(dir, arguments, setup, process.capture);
  process.pid = fork();
  if (process.pid == 0) {
    if (setup.closeInherited) {
      closefrom(3);
    }
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return process;
}

CliRun FinishSumwright(CliProcess* process, int timeoutSeconds) {
  int raw = -1;
  bool ended = process->pid <= 0;
  for (int waited = 0; !ended && timeoutSeconds > 0 && waited < timeoutSeconds * 100; ++waited) {
    ended = waitpid(process->pid, &raw, WNOHANG) == process->pid;
    if (!ended) {
      usleep(10000);
    }
  }
  if (!ended) {
    if (timeoutSeconds > 0) {
      kill(process->pid, SIGKILL);
    }
    while (waitpid(process->pid, &raw, 0) < 0 && errno == EINTR) {
    }
    if (timeoutSeconds > 0) {
      raw = -1;
    }
  }
  process->pid = -1;
  CliRun run = Collect(raw, process->capture);
  if (raw == -1) {
    run.status = -1;
  }
  return run;
}

std::string ProcessState(pid_t pid) {
  std::string text = ReadFile("/proc/" + std::to_string(pid) + "/stat");
  size_t close = text.rfind(')');
  return close == std::string::npos || close + 2 >= text.size() ? "" : text.substr(close + 2, 1);
}

std::string ProcessName(pid_t pid) {
  std::string text = ReadFile("/proc/" + std::to_string(pid) + "/comm");
  return text.substr(0, text.find('\n'));
}

pid_t FirstChild(pid_t pid) {
  std::string task = std::to_string(pid);
  std::istringstream children(ReadFile("/proc/" + task + "/task/" + task + "/children"));
  pid_t child = -1;
  children >> child;
  return child;
}

bool RunsWindowsProgram() {
  std::string exe = Environment("SUMWRIGHT_EXE", SUMWRIGHT_DEFAULT_EXE);
  return exe.size() >= 4 && exe.compare(exe.size() - 4, 4, ".exe") == 0;
}

std::string Banner() {
  return "Sumwright Version 1.0.0\n";
}

}  // namespace sumwright
