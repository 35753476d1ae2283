// SPDX-License-Identifier: MIT
// Where the input comes from: an open file, read once in order and again where needed, or a
// text in memory.
#include "base/byte_source.h"

#include <cstring>
#include <utility>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace sumwright {

ByteSource::ByteSource(ByteSource&& other) noexcept {
  *this = std::move(other);
}

ByteSource& ByteSource::operator=(ByteSource&& other) noexcept {
  if (this != &other) {
    CloseSource(this);
    descriptor = std::exchange(other.descriptor, -1);
    copy = std::exchange(other.copy, -1);
    copyLost = std::exchange(other.copyLost, false);
    text = std::exchange(other.text, nullptr);
    textSize = std::exchange(other.textSize, 0);
    position = std::exchange(other.position, 0);
    identity = other.identity;
  }
  return *this;
}

ByteSource::~ByteSource() {
  CloseSource(this);
}

bool OpenSourceFile(const std::string& name, ByteSource* source) {
  CloseSource(source);
  FileIdentity identity;
  int descriptor = OpenForReading(name, &identity);
  if (descriptor < 0) {
    return false;
  }
  source->descriptor = descriptor;
  source->identity = identity;
  source->position = 0;
  return true;
}

void SourceFromText(std::string_view text, ByteSource* source) {
  CloseSource(source);
  source->text = text.data();
  source->textSize = text.size();
  source->position = 0;
}

bool ReadSource(ByteSource* source, char* buffer, size_t capacity, size_t* got) {
  if (source->descriptor < 0) {
    uint64_t rest = source->textSize - source->position;
    size_t count = rest < capacity ? static_cast<size_t>(rest) : capacity;
    if (count != 0) {
      std::memcpy(buffer, source->text + source->position, count);
    }
    source->position += count;
    *got = count;
    return true;
  }
  if (!ReadSome(source->descriptor, buffer, capacity, got)) {
    return false;
  }
  if (!source->identity.regular && *got != 0 && !source->copyLost) {
    // A pipe or a device hands its bytes out once: keep them for a second reading, which input
    // whose records ascend never needs.
    if (source->copy < 0) {
      source->copy = OpenScratchFile();
    }
    if (source->copy < 0 || !WriteAll(source->copy, buffer, *got)) {
      if (source->copy >= 0) {
        CloseFile(source->copy);
        source->copy = -1;
      }
      source->copyLost = true;
    }
  }
  source->position += *got;
  return true;
}

uint64_t ExpectedSourceSize(const ByteSource& source) {
  if (source.descriptor < 0) {
    return source.textSize;
  }
  return source.identity.regular ? source.identity.size : UINT64_MAX;
}

bool SourceReadsAgain(const ByteSource& source) {
  return !source.copyLost;
}

bool ReadSourceAt(ByteSource* source, uint64_t offset, char* buffer, size_t capacity, size_t* got) {
  // Only what was handed out is read again; a file that grew since is not looked at further.
  uint64_t rest = offset < source->position ? source->position - offset : 0;
  if (rest < capacity) {
    capacity = static_cast<size_t>(rest);
  }
  if (source->descriptor < 0) {
    if (capacity != 0) {
      std::memcpy(buffer, source->text + offset, capacity);
    }
    *got = capacity;
    return true;
  }
  int descriptor = source->identity.regular ? source->descriptor : source->copy;
  if (capacity == 0) {
    *got = 0;
    return true;
  }
  // A lost copy was closed: no descriptor to read again.
  return descriptor >= 0 && ReadAt(descriptor, offset, buffer, capacity, got);
}

bool SourceUnchanged(const ByteSource& source) {
  if (source.descriptor < 0 || !source.identity.regular) {
    return true;
  }
  FileIdentity now;
  return IdentifyOpenFile(source.descriptor, &now) && SameContents(source.identity, now);
}

void CloseSource(ByteSource* source) {
  if (source->descriptor >= 0) {
    CloseFile(source->descriptor);
  }
  if (source->copy >= 0) {
    CloseFile(source->copy);
  }
  source->descriptor = -1;
  source->copy = -1;
  source->copyLost = false;
  source->text = nullptr;
  source->textSize = 0;
  source->position = 0;
}

}  // namespace sumwright
