/* One 8-byte slot of a caller's block, in plain C for the libraries' C headers.
 *
 * Studies hand result and parameter blocks to every library as arrays of these slots: a
 * single-precision value in the first four bytes, and four bytes that belong to the caller
 * and are never read or written by a library. SlotBlock (slot_block.h) is the C++ access;
 * this is the layout a caller declares.
 */
#ifndef XMT_SLOT_H
#define XMT_SLOT_H

typedef struct XmtSlot {
  float value;
  int unused; /* never read or written by the library */
} XmtSlot;

#endif /* XMT_SLOT_H */
