// Placeholder until this unit is written.
#pragma once
