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
constexpr char kL4000InternalError[] =
    "** L4000 (-) Internal error : \"(\"%d\")\" \"%d\" / \"%s\"\n";

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

// Where an internal error arose, as L4000 shows it: the program module (category) and the place
// in it (location). The numbers stay as they are, since scripts and the manual page name them.
struct ErrorPlace {
  int category;
  int location;
};
constexpr ErrorPlace kUnexpectedFailure{0, 0};    // an exception that no stage foresaw
constexpr ErrorPlace kSubcommandReading{0, 429};  // a subcommand file beyond its bounds or memory
constexpr ErrorPlace kRangeTextAbsent{1, 395};    // the range list parsed without a range text
constexpr ErrorPlace kInputScan{2, 44};           // the input scan's memory; an input that changed
constexpr ErrorPlace kSRecordTextMemory{2, 78};   // memory for an S-record text being written
constexpr ErrorPlace kIntelHexTextMemory{3, 94};  // memory for an Intel HEX text being written
constexpr ErrorPlace kCrcMemory{4, 65};           // memory for the CRC's chunk or its windows
constexpr ErrorPlace kTextAbsent{4, 103};         // a text to be copied is not there
constexpr ErrorPlace kTextMemory{4, 105};         // memory for a copy of a text, and the rest
constexpr ErrorPlace kOutputWrite{6, 83};         // a write, flush or close of the output failed
constexpr ErrorPlace kPatchWithoutData{6, 101};   // a record holding a code byte has no data digits
constexpr ErrorPlace kPatchFailed{6, 102};        // the code digits do not fit into them

// Prints the L4000 line of `place` and ends the process with status 1. Used for states that
// cannot arise and for exhausted resources.
[[noreturn]] void ReportInternalError(ErrorPlace place);

}  // namespace sumwright
