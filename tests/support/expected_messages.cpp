// The lines the tests expect on the standard error stream, written out here on their own.
#include "support/expected_messages.h"

#include <cstdio>

namespace sumwright {

std::string L0500(uint32_t codeAddress) {
  char address[16];
  std::snprintf(address, sizeof address, "%08X", static_cast<unsigned>(codeAddress));
  return std::string("** L0500 (I) Generated CRC code at \"0x") + address + "\"\n";
}

std::string L1007(const std::string& option) {
  return "** L1007 (W) Duplication option : \"" + option + "\"\n";
}

std::string L2000(const std::string& token) {
  return "** L2000 (E) Invalid option : \"" + token + "\"\n";
}

std::string L2010(const std::string& option) {
  return "** L2010 (E) Option \"" + option + "\" requires parameter\n";
}

std::string L2011(const std::string& option, const std::string& text) {
  return "** L2011 (E) Invalid parameter specified in option \"" + option + "\" : \"" + text +
         "\"\n";
}

std::string L2012(const std::string& text) {
  return "** L2012 (E) Invalid number specified in option \"crc\" : \"" + text + "\"\n";
}

std::string L2013(const std::string& option, const std::string& text) {
  return "** L2013 (E) Invalid address value specified in option \"" + option + "\" : \"" + text +
         "\"\n";
}

std::string L2022(const std::string& addresses) {
  return "** L2022 (E) Address ranges overlap in option \"crc\" : \"" + addresses + "\"\n";
}

std::string L3300(const std::string& name) {
  return "** L3300 (F) Cannot Open File : \"" + name + "\"\n";
}

std::string L3304(const std::string& name) {
  return "** L3304 (F) Invalid file format : \"" + name + "\"\n";
}

std::string L4000(int category, int location) {
  return "** L4000 (-) Internal error : \"(\"" + std::to_string(category) + "\")\" \"" +
         std::to_string(location) + "\" / \"(null)\"\n";
}

std::string Exactly(const std::string& text) {
  std::string pattern = "^";
  for (char c : text) {
    if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) {
      pattern += '\\';
    }
    pattern += c;
  }
  return pattern + "$";
}

}  // namespace sumwright
