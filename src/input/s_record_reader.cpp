// Placeholder until this unit is written.
#include "input/s_record_reader.h"
