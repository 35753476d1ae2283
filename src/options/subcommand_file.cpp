// Placeholder until this unit is written.
#include "options/subcommand_file.h"
