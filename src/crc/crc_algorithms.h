// The two CRC-16 algorithms: bitwise reference updates and the fast forms the engine uses.
#pragma once
