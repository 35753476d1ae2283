// Placeholder until this unit is written.
#include "output/record_text.h"
