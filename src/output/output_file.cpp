// Placeholder until this unit is written.
#include "output/output_file.h"
