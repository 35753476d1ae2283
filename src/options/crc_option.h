// The -crc option: code address, range list and algorithm, and the checks of the range list.
#pragma once

#include <string>

#include "options/option_state.h"

namespace sumwright {

// Parses one token classified as -crc: sets codeAddress, rangeText and possibly crcAlgorithm and
// counts the option. False (after L2010, L2011 or L2013) when refused.
bool ParseCrcOption(const std::string& token, OptionState* state);

// Turns rangeText into state->ranges, item by item. False at the first bad item, after its
// message (L2011, L2012 or L2013). An empty range text gives an empty list and true.
bool ParseRangeList(OptionState* state);

// Sorts the ranges and checks them against the code field (codeAddress and codeAddress + 1).
// False after L2013 or L2022, or without a message when the list is empty.
bool CheckRanges(OptionState* state);

}  // namespace sumwright
