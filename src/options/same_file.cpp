// Placeholder until this unit is written.
#include "options/same_file.h"
