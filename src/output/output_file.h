// The output file: a temporary file beside the output name, written through one large buffer
// and renamed over the output name only once it is complete.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

namespace sumwright {

struct OutputFile {
  // Size of the one write buffer.
  static constexpr size_t kBufferSize = size_t{1} << 20;

  std::string finalName;
  std::string temporaryName;
  std::FILE* stream = nullptr;
  std::unique_ptr<char[]> buffer;
  size_t used = 0;
  // Input bytes already accepted by CopyInputLine and not yet put in the buffer.
  const char* spanStart = nullptr;
  const char* spanEnd = nullptr;

  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  // Removes a temporary file still left (the output was never committed).
  ~OutputFile();

  // Creates a new, empty temporary file, exclusively, in the directory of `name`, and registers
  // its removal for a process end in between (Ctrl+C, internal error). False, with nothing
  // created and nothing printed, when that is impossible (e.g. the directory does not exist).
  bool Create(const std::string& name);

  // Room for `length` bytes at the end of the buffer, written out first when needed (`length`
  // is at most kBufferSize). The caller fills it and then calls Advance(length).
  char* Reserve(size_t length);
  void Advance(size_t length) { used += length; }

  // Puts the gathered input lines in the buffer (or writes a long run straight to the file).
  void WriteSpan();

  // Appends `length` bytes of `text`.
  void Write(const char* text, size_t length);

  // Appends a text and a line end.
  void WriteLine(const char* text, size_t length, const char* lineEnd, size_t lineEndLength);

  // Appends a line copied unchanged from the input buffer [inputBegin, inputEnd), followed by
  // `lineEnd`. Lines that follow each other in the input with exactly that line end between
  // them are gathered and written from the input buffer in one piece.
  void CopyInputLine(const char* text, size_t length, const char* lineEnd, size_t lineEndLength,
                     const char* inputBegin, const char* inputEnd);

  // Writes out the buffer, closes the file and renames it over the output name, replacing a
  // file of that name. False when the rename fails (the temporary file is removed then, an
  // existing file of that name is untouched, nothing is printed).
  bool Commit();

  // Closes and removes the temporary file; the output name is never touched.
  void Discard();

 private:
  // Writes the buffer to the file; on failure removes the temporary file and reports the
  // internal error of a failed write.
  void Flush();
};

}  // namespace sumwright
