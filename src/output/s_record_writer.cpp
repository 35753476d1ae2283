// Placeholder until this unit is written.
#include "output/s_record_writer.h"
