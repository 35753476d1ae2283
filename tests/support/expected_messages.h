// The lines the tests expect on the standard error stream, written out here on their own, so
// that a changed catalogue text in the program fails the tests that compare whole messages.
#pragma once

#include <cstdint>
#include <string>

namespace sumwright {

constexpr char kL2002[] = "** L2002 (E) Iput option cannot be specified on command line\n";
constexpr char kL2003[] = "** L2003 (E) Subcommand option cannot be specified in subcommand file\n";
constexpr char kL2007[] = "** L2007 (E) Option \"crc\" is not specified\n";
constexpr char kL2008[] = "** L2008 (E) Invalid address record type \"Valdane Extended\"\n";
constexpr char kL3000[] = "** L3000 (F) No input file\n";
constexpr char kL3315[] = "** L3315 (F) Invalid \"CRC Code\" Location \n";
// Printed without a line end.
constexpr char kL3410[] = "** L3410 (F) Interrupt by user";

// What a run without arguments prints after the banner.
constexpr char kUsage[] =
    "Usage: sumwright[ {<file name>| <option spec.>}...]\n"
    "                     <option spec.>:-<option>[=<parameter>[,...]]\n"
    "Options:\n"
    "--------------------------------- [OPTIONS] ------------------------------------\n"
    "-CRc=<sub>\t\tGenerate a CRC code\n"
    "<sub>: <addr>=<start>-<end>[,\x81\x63][/{CCITT|16}]\n"
    "\n"
    "-OUtput=<file>\t\tSpecify an output file\n"
    "\n"
    "-Endian={big|little}\tSpecify the type of endian of a generated CRC code\n"
    "\n"
    "-SUbcommand=<file>\tSpecify a name of subcommand file\n";

// The last lines of a run that completed, and of one that failed (an internal error has none).
constexpr char kCompletedEnd[] = "\nSumwright Completed\n";
constexpr char kAbortEnd[] = "\nSumwright Abort\n";

std::string L0500(uint32_t codeAddress);
std::string L1007(const std::string& option);
std::string L2000(const std::string& token);
std::string L2010(const std::string& option);
std::string L2011(const std::string& option, const std::string& text);
std::string L2012(const std::string& text);
std::string L2013(const std::string& option, const std::string& text);
std::string L2022(const std::string& addresses);
std::string L3300(const std::string& name);
std::string L3304(const std::string& name);
std::string L4000(int category, int location);

// A death test's pattern that matches exactly `text` as the whole of what the process printed.
std::string Exactly(const std::string& text);

}  // namespace sumwright
