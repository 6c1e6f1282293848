// Free text helpers over plain zero-terminated character arrays.
//
// Fields are counted from 1; a negative field number counts from the end (-1 the last).
// None of these allocate; the one that writes (strfld) never writes more than outSize bytes
// including the terminator. Null source texts are treated as empty unless said otherwise.
#pragma once

// Copy fields from..to (inclusive, with the separators between them) into out, at most
// outSize - 1 characters, always terminated when outSize > 0. to 0 means from; from 99 means
// the last field. With a blank separator, leading blanks are skipped and a run of blanks is
// one separator. A separator left at the end of the copy is dropped. At most 10000 fields
// are seen. Result the length copied, 0 when the field does not exist, -1 when to is before
// from.
int strfld(const char* src, char separator, int from, int to, char* out, int outSize);

// Number of fields as strfld sees them (trailing blanks ignored unless the separator is a
// blank). 0 for an empty or null text.
int CountFields(const char* src, char separator);

// The leading decimal number of text as atoi reads it (white space, an optional sign,
// digits), held to the int range instead of overflowing; 0 for null or no number.
int TextToIntSaturated(const char* text);

// atoi of field n; 0 when the field is absent.
int GetFieldInt(const char* src, char separator, int n);

// Remove blanks and tabs at both ends in place; result the new length (0 for null).
int TrimBlanks(char* buffer);

// Position of p in src without regard to case; -1 when absent or either is null.
int FindTextNoCase(const char* src, const char* p);

// Position of ch in set; -1 (also for ch 0 and a null set).
int FindCharIn(char ch, const char* set);

// Compare without regard to case (toupper): 3 when either is null; 1 when a differing
// character is met. When one text ends first: mode 1 gives 2 unless both end together (0);
// mode 2 gives 2 when a goes on beyond b, else 0 (0: a is a beginning of b or equal); any
// other mode gives 0.
int CompareNoCase(const char* a, const char* b, int mode);

// Value of the leading hexadecimal digits of p (either case; a blank counts as 0).
int HexToInt(const char* p);
