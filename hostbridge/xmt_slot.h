/* What the libraries' C headers share: the export marker and the caller's 8-byte slot.
 *
 * XMT_EXPORT is empty for callers; the library build defines it to give the exports
 * default visibility. A slot carries a single-precision value in its first four bytes;
 * the libraries never read or write the other four.
 */
#ifndef XMT_SLOT_H
#define XMT_SLOT_H

#ifndef XMT_EXPORT
#define XMT_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* One 8-byte slot of a caller's block. */
typedef struct XmtSlot {
  float value;
  int unused; /* never read or written by the library */
} XmtSlot;

#ifdef __cplusplus
}
#endif

#endif /* XMT_SLOT_H */
