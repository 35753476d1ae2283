// SPDX-License-Identifier: MIT
/* The application of the board firmware, started by the reset handler once the CRC of the
 * application area has passed. It prints through the C library, whose standard streams go to the
 * semihosting console. */
#include <stdio.h>

/* In SRAM, with its initial value in flash. */
static char greeting[] = "application: running\n";

int main(void) {
  fputs(greeting, stdout);
  return 0;
}
