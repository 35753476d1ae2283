// Placeholder until this unit is written.
#include "input/whole_file.h"
