// Placeholder until this unit is written.
#include "crc/crc_algorithms.h"
