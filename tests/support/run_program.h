// Runs one of our programs through the shell, as a user would, and gives back what it printed
// and its exit status.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace kx::testsupport {

// text as one word of a POSIX shell, whatever it holds.
inline std::string ShellQuoted(const std::string& text) {
  std::string out = "'";
  for (char c : text)
    out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

struct ProgramRun {
  int status = -1;  // the exit status; -1 when the program did not end normally
  std::string out;
  std::string err;  // empty when its standard error was not kept
};

// Runs commandLine (already quoted as the shell must see it) with its standard output
// captured; its standard error goes to errFile and is read back, or is dropped when errFile
// is empty.
inline ProgramRun RunProgram(const std::string& commandLine,
                             const std::filesystem::path& errFile = {}) {
  const std::string command =
      commandLine + " 2>" + (errFile.empty() ? std::string("/dev/null") : ShellQuoted(errFile));
  ProgramRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  std::array<char, 4096> buffer;
  for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
    run.out.append(buffer.data(), n);
  const int raw = pclose(pipe);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  if (!errFile.empty()) {
    std::ifstream err(errFile, std::ios::binary);
    run.err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
  }
  return run;
}

}  // namespace kx::testsupport
