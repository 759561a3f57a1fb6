/* Zentar32: dBASE III record files behind plain C functions.
 *
 * Every function keeps the argument order of the original library. Record
 * numbers are 1-based. Integer results are small codes: 0 success,
 * 1 failure, 2 not a record file, 3 record number out of range, 4 a write
 * failed, 5 to 11 index codes. The detail of the last failure is kept in a
 * module-wide number that dBerrno() returns (see README.md for the list).
 */
#ifndef ZENTAR32_H
#define ZENTAR32_H

#include <stdint.h>

#define ZENTAR_EXPORT __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

/* A caller's field description (14 bytes): the array passed to dBcreat
 * and filled by dBgetf. */
typedef struct FieldDesc {
    char name[11];          /* NUL-terminated, at most 10 characters */
    char type;              /* C, D, L, M or N */
    unsigned char length;
    unsigned char decimals;
} FieldDesc;

/* Handles are the addresses of slots in the library's open-file tables.
 * A value that is not an open slot is refused, never dereferenced. */
typedef void* DBHANDLE;

ZENTAR_EXPORT int dBcreat(const char* path, int fieldCount, FieldDesc* fields);
ZENTAR_EXPORT int dBopen(const char* path, DBHANDLE* out);
ZENTAR_EXPORT int dBclose(DBHANDLE handle);

ZENTAR_EXPORT int dBgetr(DBHANDLE handle, int32_t recno, char* record, char* deleted);
ZENTAR_EXPORT int dBputr(DBHANDLE handle, int32_t recno, const char* record);
ZENTAR_EXPORT int dBupdr(DBHANDLE handle, int32_t recno, const char* record);
ZENTAR_EXPORT int dBrmvr(DBHANDLE handle, int32_t recno);
ZENTAR_EXPORT int dBsize(DBHANDLE handle, int32_t* count);
ZENTAR_EXPORT int dBgetf(DBHANDLE handle, int16_t* dataLength, char* month, char* day,
                         char* year, char* fieldCount, FieldDesc* fields);

ZENTAR_EXPORT int dBfldtoa(const char* field, int length, char* text);
ZENTAR_EXPORT int dBatofld(const char* text, int width, int decimals, char* field);
ZENTAR_EXPORT void dBstrcpy(char* field, char justification, int length, const char* text);

ZENTAR_EXPORT char* ftoa(double value, char* text, int decimals);
ZENTAR_EXPORT char* etoa(double value, char* text, int decimals);
ZENTAR_EXPORT char* gtoa(double value, int digits, char* text);

/* Key search in an open index; no exported function opens one, so an
 * outside caller's search ends with detail 1590. */
ZENTAR_EXPORT int dBtkey(DBHANDLE index, const char* key, int32_t* record);

/* The module-wide detail number of the last failure (0 before any). */
ZENTAR_EXPORT int dBerrno(void);

#ifdef __cplusplus
}
static_assert(sizeof(FieldDesc) == 14, "FieldDesc is 14 bytes");
#endif

#endif
