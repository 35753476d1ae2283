// Placeholder until this unit is written.
#include "output/intel_hex_writer.h"
