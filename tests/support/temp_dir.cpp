// A fresh temporary directory for one test, removed with everything in it afterwards.
#include "support/temp_dir.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

namespace sumwright {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::random_device device;
  std::mt19937_64 generator(device());
  for (;;) {
    fs::path candidate =
        fs::temp_directory_path() / ("sumwright-test-" + std::to_string(generator() % 1000000000));
    std::error_code error;
    if (fs::create_directory(candidate, error)) {
      path_ = candidate.string();
      return;
    }
  }
}

TempDir::~TempDir() {
  std::error_code error;
  fs::remove_all(path_, error);
}

std::string TempDir::Path(const std::string& name) const {
  return (fs::path(path_) / name).string();
}

void TempDir::Write(const std::string& name, const std::string& contents) const {
  std::ofstream file(Path(name), std::ios::binary | std::ios::trunc);
  file.write(contents.data(), static_cast<std::streamsize>(contents.size()));
}

std::string TempDir::Read(const std::string& name) const {
  std::ifstream file(Path(name), std::ios::binary);
  std::ostringstream contents;
  contents << file.rdbuf();
  return contents.str();
}

bool TempDir::Exists(const std::string& name) const {
  std::error_code error;
  return fs::exists(Path(name), error);
}

std::string TempDir::Listing(const std::string& subdirectory) const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(Path(subdirectory))) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  std::string listing;
  for (const auto& name : names) {
    listing += name + "\n";
  }
  return listing;
}

}  // namespace sumwright
