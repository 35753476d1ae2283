// A fresh temporary directory for one test, removed with everything in it afterwards.
#pragma once

#include <string>

namespace sumwright {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // Full path of a file in the directory.
  std::string Path(const std::string& name) const;
  // Writes `contents` byte for byte (binary) to the named file.
  void Write(const std::string& name, const std::string& contents) const;
  // The whole contents of the named file, byte for byte; "" when it cannot be read.
  std::string Read(const std::string& name) const;
  bool Exists(const std::string& name) const;
  // Names of the entries in the directory, or in its `subdirectory`, sorted, one a line.
  std::string Listing(const std::string& subdirectory = "") const;

 private:
  std::string path_;
};

}  // namespace sumwright
