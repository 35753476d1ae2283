// The message catalogue and the fixed texts printed on the standard error stream.
#pragma once

#include <cinttypes>

namespace sumwright {

// Every line the program prints, byte for byte. All output goes to the standard error stream.
constexpr char kBanner[] = "Sumwright Version " SUMWRIGHT_VERSION "\n";
constexpr char kCompleted[] = "Sumwright Completed";
constexpr char kAbort[] = "Sumwright Abort";

constexpr char kL0500GeneratedCrc[] = "** L0500 (I) Generated CRC code at \"0x%08" PRIX32 "\"\n";
constexpr char kL1007DuplicationOption[] = "** L1007 (W) Duplication option : \"%s\"\n";
constexpr char kL2000InvalidOption[] = "** L2000 (E) Invalid option : \"%s\"\n";
constexpr char kL2002InputOption[] =
    "** L2002 (E) Iput option cannot be specified on command line\n";
constexpr char kL2003SubcommandInFile[] =
    "** L2003 (E) Subcommand option cannot be specified in subcommand file\n";
constexpr char kL2007CrcNotSpecified[] = "** L2007 (E) Option \"crc\" is not specified\n";
constexpr char kL2008InvalidAddressRecordType[] =
    "** L2008 (E) Invalid address record type \"%s\"\n";
constexpr char kL2010RequiresParameter[] = "** L2010 (E) Option \"%s\" requires parameter\n";
constexpr char kL2011InvalidParameter[] =
    "** L2011 (E) Invalid parameter specified in option \"%s\" : \"%s\"\n";
constexpr char kL2012InvalidNumber[] =
    "** L2012 (E) Invalid number specified in option \"%s\" : \"%s\"\n";
constexpr char kL2013InvalidAddressText[] =
    "** L2013 (E) Invalid address value specified in option \"%s\" : \"%s\"\n";
constexpr char kL2013InvalidAddressValue[] =
    "** L2013 (E) Invalid address value specified in option \"%s\" : \"0x%08" PRIX32 "\"\n";
constexpr char kL2022RangesOverlap[] =
    "** L2022 (E) Address ranges overlap in option \"%s\" : \"%08" PRIX32 "-%08" PRIX32 "\"\n";
constexpr char kL3000NoInputFile[] = "** L3000 (F) No input file\n";
constexpr char kL3300CannotOpenFile[] = "** L3300 (F) Cannot Open File : \"%s\"\n";
constexpr char kL3304InvalidFileFormat[] = "** L3304 (F) Invalid file format : \"%s\"\n";
constexpr char kL3315InvalidCodeLocation[] = "** L3315 (F) Invalid \"CRC Code\" Location \n";
// The only numbered message without a line end.
constexpr char kL3410Interrupt[] = "** L3410 (F) Interrupt by user";
constexpr char kL4000InternalError[] = "** L4000 (-) Internal error : \"(\"%d\")\" \"%d\" / \"%s\"\n";

// The text printed for L2008: the name of record type FF.
constexpr char kValdaneExtended[] = "Valdane Extended";

#if defined(__GNUC__)
#define SUMWRIGHT_PRINTF(a, b) __attribute__((format(printf, a, b)))
#else
#define SUMWRIGHT_PRINTF(a, b)
#endif

// Prints one formatted message on the standard error stream.
SUMWRIGHT_PRINTF(1, 2) void Message(const char* format, ...);

// Prints the usage text shown when the command has no argument.
void PrintUsage();

// Prints the L4000 line for a category (program module) and a location (place in it) and ends
// the process with status 1. Used for states that cannot arise and for exhausted resources.
[[noreturn]] void ReportInternalError(int category, int location);

}  // namespace sumwright
