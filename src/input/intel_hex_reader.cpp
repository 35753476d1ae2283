// Placeholder until this unit is written.
#include "input/intel_hex_reader.h"
