// Compiles boot/sumwright_crc.h as C++ under the warnings of strict firmware builds: first in its
// file, twice (its include guard), tables defined.
#define SUMWRIGHT_DEFINE_GENIBUS_TABLE
#define SUMWRIGHT_DEFINE_ARC_TABLE
#include "sumwright_crc.h"
