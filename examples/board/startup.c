// SPDX-License-Identifier: MIT
/* Startup code of the board firmware: the vector table, and the reset handler, which checks the
 * CRC of the application area before anything else runs and reports the result through
 * semihosting (the debugger's console; QEMU's with -semihosting-config enable=on).
 *
 * The check feeds the whole area but its last two bytes, from __app_start up to __app_crc, into
 * CRC-16/GENIBUS and compares the result with the two bytes at __app_crc, which sumwright wrote
 * with -crc=<__app_crc>=<__app_start>-<__app_crc - 1> and -endian=big, or -endian=little when
 * BOARD_CRC_LITTLE_ENDIAN is 1. It prints one line,
 *   boot: CRC <computed>, stored <stored>: starting the application
 * and then runs main, or
 *   boot: CRC <computed>, stored <stored>: image refused
 * and stops, with a failure status for the debugger (QEMU exits with status 1). Until the check
 * has passed, nothing runs but this file's code: no C library, no initial values in SRAM. */
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "sumwright_crc.h"

#ifndef BOARD_CRC_LITTLE_ENDIAN
#define BOARD_CRC_LITTLE_ENDIAN 0
#endif

/* From the linker script. */
extern const unsigned char __app_start[];
extern const unsigned char __app_crc[];
extern const uint32_t __data_load[];
extern uint32_t __data_start[];
extern uint32_t __data_end[];
extern uint32_t __bss_start[];
extern uint32_t __bss_end[];

int main(void);
/* Opens the semihosting console for the C library's standard streams (newlib's rdimon). */
void initialise_monitor_handles(void);

void Reset_Handler(void);
static void Fault_Handler(void);

/* After the initial stack pointer, which the linker script puts first: reset, NMI, hard fault,
 * memory management, bus and usage faults. */
__attribute__((section(".vectors"), used)) static void (*const vectors[])(void) = {
    Reset_Handler, Fault_Handler, Fault_Handler, Fault_Handler, Fault_Handler, Fault_Handler,
};

/* Semihosting operations, and the exit reason that makes QEMU exit with status 1. */
enum {
  kSysOpen = 0x01,
  kSysWrite = 0x05,
  kSysExit = 0x18,
  kRunTimeError = 0x20023,
};

static int Semihosting(int operation, const void* argument) {
  register int r0 __asm__("r0") = operation;
  register const void* r1 __asm__("r1") = argument;
  __asm__ volatile("bkpt 0xAB" : "+r"(r0) : "r"(r1) : "memory");
  return r0;
}

/* The console's output stream, where the C library's stdout writes too: the debugger's standard
 * output (QEMU's, apart from its own messages on standard error). A handle of its own, as nothing
 * in SRAM may be used before the check. */
static int OpenConsole(void) {
  static const char kName[] = ":tt";
  const uintptr_t open[3] = {(uintptr_t)kName, 4 /* "w" */, sizeof kName - 1};
  return Semihosting(kSysOpen, open);
}

static void Print(int console, const char* text) {
  uintptr_t length = 0;
  while (text[length] != '\0') {
    ++length;
  }
  const uintptr_t write[3] = {(uintptr_t)console, (uintptr_t)text, length};
  Semihosting(kSysWrite, write);
}

static __attribute__((noreturn)) void Stop(int reason) {
  for (;;) {
    Semihosting(kSysExit, (const void*)(uintptr_t)reason);
  }
}

/* Writes `value` as four upper-case hexadecimal digits at `text`. */
static void PutHex16(char* text, uint16_t value) {
  static const char kDigits[] = "0123456789ABCDEF";
  int i;
  for (i = 3; i >= 0; --i) {
    text[i] = kDigits[value & 0xFu];
    value = (uint16_t)(value >> 4);
  }
}

static void Fault_Handler(void) {
  Print(OpenConsole(), "boot: fault\n");
  Stop(kRunTimeError);
}

void Reset_Handler(void) {
  const int console = OpenConsole();
  const uintptr_t start = (uintptr_t)__app_start;
  const uintptr_t size = (uintptr_t)__app_crc - start;
  uint16_t crc = sumwright_genibus_init();
  crc = sumwright_genibus_update(crc, __app_start, size);
  crc = sumwright_genibus_final(crc);
#if BOARD_CRC_LITTLE_ENDIAN
  const uint16_t stored = sumwright_read_crc_little(__app_crc);
#else
  const uint16_t stored = sumwright_read_crc_big(__app_crc);
#endif
  char line[] = "boot: CRC ????, stored ????: ";
  PutHex16(line + 10, crc);
  PutHex16(line + 23, stored);
  Print(console, line);
  if (crc != stored) {
    Print(console, "image refused\n");
    Stop(kRunTimeError);
  }
  Print(console, "starting the application\n");

  memcpy(__data_start, __data_load, (size_t)((uintptr_t)__data_end - (uintptr_t)__data_start));
  memset(__bss_start, 0, (size_t)((uintptr_t)__bss_end - (uintptr_t)__bss_start));
  initialise_monitor_handles();
  exit(main());
}
