/* Checks the CRC that sumwright stored in a flat image the way a boot check would, with the
 * functions of boot/sumwright_crc.h, in four ways: bytewise and table form, each once reading
 * every byte and once feeding each run of 0xFF bytes as erased flash without reading it.
 *
 *   image_check <image.bin> <base> <CCITT|16> <big|little> <code> <start>-<end>...
 *
 * The image holds the addresses from <base> on; the ranges come in ascending order, as a boot
 * check walks them. All numbers are hexadecimal. Exit status 0 when all four ways give the
 * stored CRC, 1 when one does not, 2 for bad arguments. */
#define SUMWRIGHT_DEFINE_GENIBUS_TABLE
#define SUMWRIGHT_DEFINE_ARC_TABLE
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "sumwright_crc.h"

enum { kMaxImage = 1 << 20 };
static unsigned char image[kMaxImage];

typedef struct {
  int arc;    /* CRC-16/ARC, else CRC-16/GENIBUS */
  int table;  /* table form, else bytewise */
  int erased; /* feed runs of 0xFF through the _erased calls */
} Way;

static uint16_t Feed(const Way* way, uint16_t crc, const unsigned char* bytes, size_t count) {
  if (way->arc) {
    return way->table ? sumwright_arc_update_table(crc, bytes, count)
                      : sumwright_arc_update(crc, bytes, count);
  }
  return way->table ? sumwright_genibus_update_table(crc, bytes, count)
                    : sumwright_genibus_update(crc, bytes, count);
}

static uint16_t FeedErased(const Way* way, uint16_t crc, uint32_t count) {
  if (way->arc) {
    return way->table ? sumwright_arc_update_erased_table(crc, count)
                      : sumwright_arc_update_erased(crc, count);
  }
  return way->table ? sumwright_genibus_update_erased_table(crc, count)
                    : sumwright_genibus_update_erased(crc, count);
}

/* Feeds image[start..end], end inclusive. */
static uint16_t FeedRange(const Way* way, uint16_t crc, size_t start, size_t end) {
  size_t at = start;
  if (!way->erased) {
    return Feed(way, crc, image + start, end - start + 1);
  }
  while (at <= end) {
    size_t run = at;
    if (image[at] == 0xFF) {
      while (run <= end && image[run] == 0xFF) {
        ++run;
      }
      crc = FeedErased(way, crc, (uint32_t)(run - at));
    } else {
      while (run <= end && image[run] != 0xFF) {
        ++run;
      }
      crc = Feed(way, crc, image + at, run - at);
    }
    at = run;
  }
  return crc;
}

static int ParseHex(const char* text, unsigned long* value) {
  char* end = NULL;
  *value = strtoul(text, &end, 16);
  return *text != '\0' && (*end == '\0' || *end == '-');
}

int main(int argc, char** argv) {
  static const char* const kWayNames[] = {"bytewise", "table", "bytewise, erased runs",
                                          "table, erased runs"};
  unsigned long base, code;
  size_t size;
  int arc, wayIndex, failed = 0;
  uint16_t stored;
  FILE* file;
  if (argc < 7 || !ParseHex(argv[2], &base) || !ParseHex(argv[5], &code)) {
    fprintf(stderr,
            "usage: image_check <image.bin> <base> <CCITT|16> <big|little> <code> "
            "<start>-<end>...\n");
    return 2;
  }
  file = fopen(argv[1], "rb");
  if (file == NULL) {
    fprintf(stderr, "image_check: cannot open %s\n", argv[1]);
    return 2;
  }
  size = fread(image, 1, sizeof image, file);
  fclose(file);
  arc = strcmp(argv[3], "16") == 0;
  if (code < base || code - base + 2 > size) {
    fprintf(stderr, "image_check: code address %lX outside the image\n", code);
    return 2;
  }
  stored = strcmp(argv[4], "little") == 0 ? sumwright_read_crc_little(image + (code - base))
                                          : sumwright_read_crc_big(image + (code - base));

  for (wayIndex = 0; wayIndex < 4; ++wayIndex) {
    const Way way = {arc, wayIndex & 1, wayIndex >> 1};
    uint16_t crc = arc ? sumwright_arc_init() : sumwright_genibus_init();
    int r;
    for (r = 6; r < argc; ++r) {
      unsigned long start, end;
      const char* dash = strchr(argv[r], '-');
      if (dash == NULL || !ParseHex(argv[r], &start) || !ParseHex(dash + 1, &end) || start < base ||
          end < start || end - base >= size) {
        fprintf(stderr, "image_check: bad range or outside the image: %s\n", argv[r]);
        return 2;
      }
      crc = FeedRange(&way, crc, start - base, end - base);
    }
    crc = arc ? sumwright_arc_final(crc) : sumwright_genibus_final(crc);
    if (crc != stored) {
      printf("%s CRC %04X (%s), stored %04X\n", argv[3], crc, kWayNames[wayIndex], stored);
      failed = 1;
    }
  }
  return failed;
}
