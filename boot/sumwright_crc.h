/* SPDX-License-Identifier: MIT-0 */
/* Boot-side check of the CRC that sumwright writes into a firmware image: C99, also usable from
 * C++, no dependencies beyond <stddef.h> and <stdint.h>, no allocation, no library calls.
 *
 * What sumwright computes, and what a boot check must feed in the same way:
 *   - The CRC runs over every range of the -crc option in ascending address order, whatever
 *     order the option names them in.
 *   - The ranges are joined end to end: nothing is fed for the addresses between two ranges.
 *   - Inside a range, an address that no record of the image held reads 0xFF, like erased flash.
 *     On parts whose ECC flash faults when erased cells are read, feed such a stretch with the
 *     _erased calls instead of reading it.
 *   - The two CRC bytes at the code address are outside every range. "-endian=big" (the
 *     default) puts the CRC's high byte at the code address and the low byte after it;
 *     "-endian=little" the reverse.
 *
 * Algorithms: "-crc=...", or ".../CCITT", is CRC-16/GENIBUS (sumwright_genibus_*); ".../16" is
 * CRC-16/ARC (sumwright_arc_*). Each takes init, any number of updates, then final:
 *
 *   // sumwright app.hex -crc=803FFFE=8000000-80003FF,8000800-803FFFD -output=app_crc.hex
 *   uint16_t crc = sumwright_genibus_init();
 *   crc = sumwright_genibus_update(crc, (const void*)0x08000000u, 0x400u);
 *   crc = sumwright_genibus_update(crc, (const void*)0x08000800u, 0x3F7FEu);
 *   int intact = sumwright_genibus_final(crc) == sumwright_read_crc_big((const void*)0x0803FFFEu);
 *
 * Two forms compute the same values. The bytewise form (_update, _update_erased) needs no table,
 * for the smallest flash. The table form (_update_table, _update_erased_table) is several times
 * faster and uses a 256-entry table of 512 bytes per algorithm. To keep each table in flash once,
 * define SUMWRIGHT_DEFINE_GENIBUS_TABLE or SUMWRIGHT_DEFINE_ARC_TABLE before including this
 * header in exactly one source file; any file may call the table functions. */
#ifndef SUMWRIGHT_CRC_H
#define SUMWRIGHT_CRC_H

#include <stddef.h>
#include <stdint.h>

/* Conversions spelled for both languages, so that C++ builds with -Wold-style-cast stay quiet. */
#ifdef __cplusplus
#define SUMWRIGHT_U16(x) static_cast<uint16_t>(x)
#define SUMWRIGHT_BYTES(p) static_cast<const unsigned char*>(p)
extern "C" {
#else
#define SUMWRIGHT_U16(x) ((uint16_t)(x))
#define SUMWRIGHT_BYTES(p) ((const unsigned char*)(p))
#endif

/* CRC-16/GENIBUS: polynomial 0x1021, register starts at 0xFFFF, bits enter high bit first, the
 * result is complemented. Check value over the ASCII digits "123456789": 0xD64E. */

static inline uint16_t sumwright_genibus_init(void) {
  return 0xFFFF;
}

/* Feeds `count` bytes from `bytes`, one at a time, in address order. */
static inline uint16_t sumwright_genibus_update(uint16_t crc, const void* bytes, size_t count) {
  const unsigned char* next = SUMWRIGHT_BYTES(bytes);
  while (count-- != 0) {
    const uint16_t byte = *next++;
    int bit;
    crc = SUMWRIGHT_U16(crc ^ (byte << 8));
    for (bit = 0; bit < 8; ++bit) {
      crc = SUMWRIGHT_U16((crc & 0x8000) != 0 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
  }
  return crc;
}

/* Feeds `count` bytes of 0xFF without reading flash: an erased stretch. */
static inline uint16_t sumwright_genibus_update_erased(uint16_t crc, uint32_t count) {
  const unsigned char erased = 0xFFu;
  while (count-- != 0) {
    crc = sumwright_genibus_update(crc, &erased, 1);
  }
  return crc;
}

/* The CRC as sumwright stores it. */
static inline uint16_t sumwright_genibus_final(uint16_t crc) {
  return SUMWRIGHT_U16(crc ^ 0xFFFF);
}

/* CRC-16/ARC: polynomial 0x8005 reflected (0xA001), register starts at 0, bits enter low bit
 * first, no final complement. Check value over "123456789": 0xBB3D. */

static inline uint16_t sumwright_arc_init(void) {
  return 0x0000;
}

/* Feeds `count` bytes from `bytes`, one at a time, in address order. */
static inline uint16_t sumwright_arc_update(uint16_t crc, const void* bytes, size_t count) {
  const unsigned char* next = SUMWRIGHT_BYTES(bytes);
  while (count-- != 0) {
    int bit;
    crc = SUMWRIGHT_U16(crc ^ *next++);
    for (bit = 0; bit < 8; ++bit) {
      crc = SUMWRIGHT_U16((crc & 1) != 0 ? (crc >> 1) ^ 0xA001 : crc >> 1);
    }
  }
  return crc;
}

/* Feeds `count` bytes of 0xFF without reading flash: an erased stretch. */
static inline uint16_t sumwright_arc_update_erased(uint16_t crc, uint32_t count) {
  const unsigned char erased = 0xFFu;
  while (count-- != 0) {
    crc = sumwright_arc_update(crc, &erased, 1);
  }
  return crc;
}

/* The CRC as sumwright stores it. */
static inline uint16_t sumwright_arc_final(uint16_t crc) {
  return crc;
}

/* Table form. table[i] is the register after feeding byte i into a register of 0, without the
 * final step; the literals below are checked against the bytewise form by the project's tests. */

extern const uint16_t sumwright_genibus_table[256];
extern const uint16_t sumwright_arc_table[256];

static inline uint16_t sumwright_genibus_update_table(uint16_t crc, const void* bytes,
                                                      size_t count) {
  const unsigned char* next = SUMWRIGHT_BYTES(bytes);
  while (count-- != 0) {
    crc = SUMWRIGHT_U16((crc << 8) ^ sumwright_genibus_table[((crc >> 8) ^ *next++) & 0xFF]);
  }
  return crc;
}

static inline uint16_t sumwright_genibus_update_erased_table(uint16_t crc, uint32_t count) {
  while (count-- != 0) {
    crc = SUMWRIGHT_U16((crc << 8) ^ sumwright_genibus_table[((crc >> 8) ^ 0xFF) & 0xFF]);
  }
  return crc;
}

static inline uint16_t sumwright_arc_update_table(uint16_t crc, const void* bytes, size_t count) {
  const unsigned char* next = SUMWRIGHT_BYTES(bytes);
  while (count-- != 0) {
    crc = SUMWRIGHT_U16((crc >> 8) ^ sumwright_arc_table[(crc ^ *next++) & 0xFF]);
  }
  return crc;
}

static inline uint16_t sumwright_arc_update_erased_table(uint16_t crc, uint32_t count) {
  while (count-- != 0) {
    crc = SUMWRIGHT_U16((crc >> 8) ^ sumwright_arc_table[(crc ^ 0xFF) & 0xFF]);
  }
  return crc;
}

/* The stored CRC at the code address, read a byte at a time so that any alignment works.
 * _big: "-endian=big", high byte at `code`. _little: "-endian=little", low byte at `code`. */

static inline uint16_t sumwright_read_crc_big(const void* code) {
  const unsigned char* at = SUMWRIGHT_BYTES(code);
  const uint16_t high = at[0];
  return SUMWRIGHT_U16((high << 8) | at[1]);
}

static inline uint16_t sumwright_read_crc_little(const void* code) {
  const unsigned char* at = SUMWRIGHT_BYTES(code);
  const uint16_t high = at[1];
  return SUMWRIGHT_U16((high << 8) | at[0]);
}

/* Eight entries a row, so that an entry is easy to find by its index. */
/* clang-format off */
#ifdef SUMWRIGHT_DEFINE_GENIBUS_TABLE
const uint16_t sumwright_genibus_table[256] = {
    0x0000u, 0x1021u, 0x2042u, 0x3063u, 0x4084u, 0x50A5u, 0x60C6u, 0x70E7u,
    0x8108u, 0x9129u, 0xA14Au, 0xB16Bu, 0xC18Cu, 0xD1ADu, 0xE1CEu, 0xF1EFu,
    0x1231u, 0x0210u, 0x3273u, 0x2252u, 0x52B5u, 0x4294u, 0x72F7u, 0x62D6u,
    0x9339u, 0x8318u, 0xB37Bu, 0xA35Au, 0xD3BDu, 0xC39Cu, 0xF3FFu, 0xE3DEu,
    0x2462u, 0x3443u, 0x0420u, 0x1401u, 0x64E6u, 0x74C7u, 0x44A4u, 0x5485u,
    0xA56Au, 0xB54Bu, 0x8528u, 0x9509u, 0xE5EEu, 0xF5CFu, 0xC5ACu, 0xD58Du,
    0x3653u, 0x2672u, 0x1611u, 0x0630u, 0x76D7u, 0x66F6u, 0x5695u, 0x46B4u,
    0xB75Bu, 0xA77Au, 0x9719u, 0x8738u, 0xF7DFu, 0xE7FEu, 0xD79Du, 0xC7BCu,
    0x48C4u, 0x58E5u, 0x6886u, 0x78A7u, 0x0840u, 0x1861u, 0x2802u, 0x3823u,
    0xC9CCu, 0xD9EDu, 0xE98Eu, 0xF9AFu, 0x8948u, 0x9969u, 0xA90Au, 0xB92Bu,
    0x5AF5u, 0x4AD4u, 0x7AB7u, 0x6A96u, 0x1A71u, 0x0A50u, 0x3A33u, 0x2A12u,
    0xDBFDu, 0xCBDCu, 0xFBBFu, 0xEB9Eu, 0x9B79u, 0x8B58u, 0xBB3Bu, 0xAB1Au,
    0x6CA6u, 0x7C87u, 0x4CE4u, 0x5CC5u, 0x2C22u, 0x3C03u, 0x0C60u, 0x1C41u,
    0xEDAEu, 0xFD8Fu, 0xCDECu, 0xDDCDu, 0xAD2Au, 0xBD0Bu, 0x8D68u, 0x9D49u,
    0x7E97u, 0x6EB6u, 0x5ED5u, 0x4EF4u, 0x3E13u, 0x2E32u, 0x1E51u, 0x0E70u,
    0xFF9Fu, 0xEFBEu, 0xDFDDu, 0xCFFCu, 0xBF1Bu, 0xAF3Au, 0x9F59u, 0x8F78u,
    0x9188u, 0x81A9u, 0xB1CAu, 0xA1EBu, 0xD10Cu, 0xC12Du, 0xF14Eu, 0xE16Fu,
    0x1080u, 0x00A1u, 0x30C2u, 0x20E3u, 0x5004u, 0x4025u, 0x7046u, 0x6067u,
    0x83B9u, 0x9398u, 0xA3FBu, 0xB3DAu, 0xC33Du, 0xD31Cu, 0xE37Fu, 0xF35Eu,
    0x02B1u, 0x1290u, 0x22F3u, 0x32D2u, 0x4235u, 0x5214u, 0x6277u, 0x7256u,
    0xB5EAu, 0xA5CBu, 0x95A8u, 0x8589u, 0xF56Eu, 0xE54Fu, 0xD52Cu, 0xC50Du,
    0x34E2u, 0x24C3u, 0x14A0u, 0x0481u, 0x7466u, 0x6447u, 0x5424u, 0x4405u,
    0xA7DBu, 0xB7FAu, 0x8799u, 0x97B8u, 0xE75Fu, 0xF77Eu, 0xC71Du, 0xD73Cu,
    0x26D3u, 0x36F2u, 0x0691u, 0x16B0u, 0x6657u, 0x7676u, 0x4615u, 0x5634u,
    0xD94Cu, 0xC96Du, 0xF90Eu, 0xE92Fu, 0x99C8u, 0x89E9u, 0xB98Au, 0xA9ABu,
    0x5844u, 0x4865u, 0x7806u, 0x6827u, 0x18C0u, 0x08E1u, 0x3882u, 0x28A3u,
    0xCB7Du, 0xDB5Cu, 0xEB3Fu, 0xFB1Eu, 0x8BF9u, 0x9BD8u, 0xABBBu, 0xBB9Au,
    0x4A75u, 0x5A54u, 0x6A37u, 0x7A16u, 0x0AF1u, 0x1AD0u, 0x2AB3u, 0x3A92u,
    0xFD2Eu, 0xED0Fu, 0xDD6Cu, 0xCD4Du, 0xBDAAu, 0xAD8Bu, 0x9DE8u, 0x8DC9u,
    0x7C26u, 0x6C07u, 0x5C64u, 0x4C45u, 0x3CA2u, 0x2C83u, 0x1CE0u, 0x0CC1u,
    0xEF1Fu, 0xFF3Eu, 0xCF5Du, 0xDF7Cu, 0xAF9Bu, 0xBFBAu, 0x8FD9u, 0x9FF8u,
    0x6E17u, 0x7E36u, 0x4E55u, 0x5E74u, 0x2E93u, 0x3EB2u, 0x0ED1u, 0x1EF0u,
};
#endif

#ifdef SUMWRIGHT_DEFINE_ARC_TABLE
const uint16_t sumwright_arc_table[256] = {
    0x0000u, 0xC0C1u, 0xC181u, 0x0140u, 0xC301u, 0x03C0u, 0x0280u, 0xC241u,
    0xC601u, 0x06C0u, 0x0780u, 0xC741u, 0x0500u, 0xC5C1u, 0xC481u, 0x0440u,
    0xCC01u, 0x0CC0u, 0x0D80u, 0xCD41u, 0x0F00u, 0xCFC1u, 0xCE81u, 0x0E40u,
    0x0A00u, 0xCAC1u, 0xCB81u, 0x0B40u, 0xC901u, 0x09C0u, 0x0880u, 0xC841u,
    0xD801u, 0x18C0u, 0x1980u, 0xD941u, 0x1B00u, 0xDBC1u, 0xDA81u, 0x1A40u,
    0x1E00u, 0xDEC1u, 0xDF81u, 0x1F40u, 0xDD01u, 0x1DC0u, 0x1C80u, 0xDC41u,
    0x1400u, 0xD4C1u, 0xD581u, 0x1540u, 0xD701u, 0x17C0u, 0x1680u, 0xD641u,
    0xD201u, 0x12C0u, 0x1380u, 0xD341u, 0x1100u, 0xD1C1u, 0xD081u, 0x1040u,
    0xF001u, 0x30C0u, 0x3180u, 0xF141u, 0x3300u, 0xF3C1u, 0xF281u, 0x3240u,
    0x3600u, 0xF6C1u, 0xF781u, 0x3740u, 0xF501u, 0x35C0u, 0x3480u, 0xF441u,
    0x3C00u, 0xFCC1u, 0xFD81u, 0x3D40u, 0xFF01u, 0x3FC0u, 0x3E80u, 0xFE41u,
    0xFA01u, 0x3AC0u, 0x3B80u, 0xFB41u, 0x3900u, 0xF9C1u, 0xF881u, 0x3840u,
    0x2800u, 0xE8C1u, 0xE981u, 0x2940u, 0xEB01u, 0x2BC0u, 0x2A80u, 0xEA41u,
    0xEE01u, 0x2EC0u, 0x2F80u, 0xEF41u, 0x2D00u, 0xEDC1u, 0xEC81u, 0x2C40u,
    0xE401u, 0x24C0u, 0x2580u, 0xE541u, 0x2700u, 0xE7C1u, 0xE681u, 0x2640u,
    0x2200u, 0xE2C1u, 0xE381u, 0x2340u, 0xE101u, 0x21C0u, 0x2080u, 0xE041u,
    0xA001u, 0x60C0u, 0x6180u, 0xA141u, 0x6300u, 0xA3C1u, 0xA281u, 0x6240u,
    0x6600u, 0xA6C1u, 0xA781u, 0x6740u, 0xA501u, 0x65C0u, 0x6480u, 0xA441u,
    0x6C00u, 0xACC1u, 0xAD81u, 0x6D40u, 0xAF01u, 0x6FC0u, 0x6E80u, 0xAE41u,
    0xAA01u, 0x6AC0u, 0x6B80u, 0xAB41u, 0x6900u, 0xA9C1u, 0xA881u, 0x6840u,
    0x7800u, 0xB8C1u, 0xB981u, 0x7940u, 0xBB01u, 0x7BC0u, 0x7A80u, 0xBA41u,
    0xBE01u, 0x7EC0u, 0x7F80u, 0xBF41u, 0x7D00u, 0xBDC1u, 0xBC81u, 0x7C40u,
    0xB401u, 0x74C0u, 0x7580u, 0xB541u, 0x7700u, 0xB7C1u, 0xB681u, 0x7640u,
    0x7200u, 0xB2C1u, 0xB381u, 0x7340u, 0xB101u, 0x71C0u, 0x7080u, 0xB041u,
    0x5000u, 0x90C1u, 0x9181u, 0x5140u, 0x9301u, 0x53C0u, 0x5280u, 0x9241u,
    0x9601u, 0x56C0u, 0x5780u, 0x9741u, 0x5500u, 0x95C1u, 0x9481u, 0x5440u,
    0x9C01u, 0x5CC0u, 0x5D80u, 0x9D41u, 0x5F00u, 0x9FC1u, 0x9E81u, 0x5E40u,
    0x5A00u, 0x9AC1u, 0x9B81u, 0x5B40u, 0x9901u, 0x59C0u, 0x5880u, 0x9841u,
    0x8801u, 0x48C0u, 0x4980u, 0x8941u, 0x4B00u, 0x8BC1u, 0x8A81u, 0x4A40u,
    0x4E00u, 0x8EC1u, 0x8F81u, 0x4F40u, 0x8D01u, 0x4DC0u, 0x4C80u, 0x8C41u,
    0x4400u, 0x84C1u, 0x8581u, 0x4540u, 0x8701u, 0x47C0u, 0x4680u, 0x8641u,
    0x8201u, 0x42C0u, 0x4380u, 0x8341u, 0x4100u, 0x81C1u, 0x8081u, 0x4040u,
};
#endif
/* clang-format on */

#ifdef __cplusplus
}
#endif

#undef SUMWRIGHT_U16
#undef SUMWRIGHT_BYTES

#endif /* SUMWRIGHT_CRC_H */
