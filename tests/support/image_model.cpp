// A byte image built in the tests, independent of the program: its records as Intel HEX or
// S-record text, and its CRC over address ranges.
#include "support/image_model.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "crc/crc_algorithms.h"

namespace sumwright {

namespace {

void AppendByte(uint32_t value, std::string* text) {
  char digits[3];
  std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned>(value & 0xFF));
  *text += digits;
}

// A record's data digits: bad bytes as "G" and their low digit.
std::string DataDigits(const ModelRecord& record) {
  std::string digits;
  for (size_t i = 0; i < record.bytes.size(); ++i) {
    if (i < record.bad.size() && record.bad[i]) {
      char bad[3];
      std::snprintf(bad, sizeof bad, "G%X", static_cast<unsigned>(record.bytes[i] & 0xF));
      digits += bad;
    } else {
      AppendByte(record.bytes[i], &digits);
    }
  }
  return digits;
}

uint32_t ByteSum(const std::vector<uint8_t>& bytes) {
  uint32_t sum = 0;
  for (uint8_t b : bytes) {
    sum += b;
  }
  return sum;
}

void AppendDataRecord(ImageText* image, size_t count, const std::string& lineEnd,
                      std::mt19937* random) {
  uint32_t page = image->next >> 16;
  if (page != image->page) {
    AppendLine(image,
               IntelHexRecord(0, 4, {static_cast<uint8_t>(page >> 8), static_cast<uint8_t>(page)}),
               lineEnd);
    image->page = page;
  }
  ModelRecord record{image->next, std::vector<uint8_t>(count), std::vector<bool>(count, false)};
  for (uint8_t& b : record.bytes) {
    b = static_cast<uint8_t>((*random)());
  }
  AppendLine(image, IntelHexRecord(image->next & 0xFFFF, 0, record.bytes), lineEnd);
  image->records.push_back(record);
  image->next += static_cast<uint32_t>(count);
}

}  // namespace

uint32_t ModelCrc(CrcAlgorithm algorithm, const std::vector<ModelRecord>& records,
                  const std::vector<AddressRange>& ranges) {
  std::map<uint32_t, uint8_t> image;
  for (const ModelRecord& record : records) {
    for (size_t i = 0; i < record.bytes.size(); ++i) {
      bool bad = i < record.bad.size() && record.bad[i];
      image.emplace(static_cast<uint32_t>(record.start + i), bad ? uint8_t{0xFF} : record.bytes[i]);
    }
  }
  std::vector<uint8_t> stream;
  for (const AddressRange& range : ranges) {
    for (uint64_t a = range.start; a <= range.end; ++a) {
      auto found = image.find(static_cast<uint32_t>(a));
      stream.push_back(found == image.end() ? uint8_t{0xFF} : found->second);
    }
  }
  CrcState state;
  EXPECT_TRUE(SelectAlgorithm(algorithm, &state));
  state.crcRegister = algorithm == Ccitt
                          ? CcittUpdateBitwise(state.crcRegister, stream.data(), stream.size())
                          : Crc16UpdateBitwise(state.crcRegister, stream.data(), stream.size());
  uint32_t crc = 0;
  EXPECT_TRUE(TakeResult(state, &crc));
  return crc;
}

void ExpectSameAsBitwise(CrcUpdate ccitt, CrcUpdate crc16, std::vector<size_t> lengths,
                         unsigned seed) {
  std::mt19937 random(seed);
  for (int i = 0; i < 40; ++i) {
    lengths.push_back(std::uniform_int_distribution<size_t>(0, 70000)(random));
  }
  for (size_t length : lengths) {
    std::vector<uint8_t> bytes(length);
    for (uint8_t& b : bytes) {
      b = static_cast<uint8_t>(random());
    }
    uint32_t start = random() & 0xFFFFu;
    ASSERT_EQ(CcittUpdateBitwise(start, bytes.data(), length), ccitt(start, bytes.data(), length))
        << "CCITT, " << length << " bytes from " << start;
    ASSERT_EQ(Crc16UpdateBitwise(start, bytes.data(), length), crc16(start, bytes.data(), length))
        << "16, " << length << " bytes from " << start;
  }
}

std::string Lines(const std::vector<std::string>& lines, const std::string& lineEnd) {
  std::string text;
  for (const std::string& line : lines) {
    text += line + lineEnd;
  }
  return text;
}

std::string IntelHexRecord(uint32_t offset, uint8_t type, const std::vector<uint8_t>& bytes) {
  std::string text = ":";
  AppendByte(static_cast<uint32_t>(bytes.size()), &text);
  AppendByte(offset >> 8, &text);
  AppendByte(offset, &text);
  AppendByte(type, &text);
  for (uint8_t b : bytes) {
    AppendByte(b, &text);
  }
  uint32_t sum =
      static_cast<uint32_t>(bytes.size()) + (offset >> 8) + offset + type + ByteSum(bytes);
  AppendByte(0x100 - (sum & 0xFF), &text);
  return text;
}

std::string IntelHexDataRecord(const ModelRecord& record) {
  std::string text = ":";
  AppendByte(static_cast<uint32_t>(record.bytes.size()), &text);
  AppendByte(record.start >> 8, &text);
  AppendByte(record.start, &text);
  return text + "00" + DataDigits(record) + "00";
}

std::string SRecord3(const ModelRecord& record) {
  std::string text = "S3";
  AppendByte(static_cast<uint32_t>(record.bytes.size() + 5), &text);
  uint32_t sum = static_cast<uint32_t>(record.bytes.size() + 5) + ByteSum(record.bytes);
  for (int shift = 24; shift >= 0; shift -= 8) {
    AppendByte(record.start >> shift, &text);
    sum += (record.start >> shift) & 0xFF;
  }
  text += DataDigits(record);
  AppendByte(~sum, &text);
  return text;
}

void AppendLine(ImageText* image, const std::string& line, const std::string& lineEnd) {
  image->text += line + lineEnd;
  if (line.find_first_not_of(" \t") != std::string::npos) {
    image->lines.push_back(line);
  }
}

void AppendIntelHexData(ImageText* image, size_t length, const std::string& lineEnd,
                        std::mt19937* random) {
  const size_t end = image->text.size() + length;
  const size_t e = lineEnd.size();
  // Records of 16 bytes while room remains for an address record and a last record.
  while (end - image->text.size() > 200) {
    AppendDataRecord(image, 16, lineEnd, random);
  }
  if (image->next >> 16 != image->page) {
    AppendLine(image,
               IntelHexRecord(0, 4,
                              {static_cast<uint8_t>(image->next >> 24),
                               static_cast<uint8_t>(image->next >> 16)}),
               lineEnd);
    image->page = image->next >> 16;
  }
  // A record line has an odd number of characters: a blank line of three bytes evens out.
  size_t rest = end - image->text.size();
  if ((rest - 11 - e) % 2 != 0) {
    AppendLine(image, std::string(3 - e, ' '), lineEnd);
    rest -= 3;
  }
  AppendDataRecord(image, (rest - 11 - e) / 2, lineEnd, random);
  EXPECT_EQ(end, image->text.size());
}

}  // namespace sumwright
