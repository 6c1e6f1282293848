// CTxt: the system's single-byte string.
//
// Every message, path, settings value and file line in the libraries is a CTxt. Beside the
// usual editing it carries the file-name arithmetic of the system, placeholder filling,
// masking of characters not allowed in file or variable names, hexadecimal and escape
// conversions, a light XML/HTML entity conversion, whole-file load and save, a binary record
// form and a finder for numbered files.
//
// Contract:
// - The buffer comes from Platform::Default().TaskAlloc (COM task memory on Windows), so it
//   may be handed to or taken over from code that frees it with TaskFree / CoTaskMemFree
//   (see GetData and Reset).
// - A text that was never set has a null buffer and reads as "": the non-const conversion
//   to const char* first makes it "" (MakeEmpty); the const one returns a static "".
// - Setting a text allocates exactly length + 2 bytes when the buffer is smaller; appending
//   grows to exactly old length + added length + 2 (one character: length + 3). There is no
//   spare growth, so building a long text character by character is quadratic.
// - Positions are zero-based, except ExtractRange which counts from 1.
// - Operations that change the text return the new length unless said otherwise; finders
//   return a position or a negative number. Editing an empty text returns -1 (or 0 where
//   noted) and changes nothing.
// - File operations put their error message into the text itself and return a negative
//   number, so the caller can log it.
// - Byte access (GetAt, SetAt, operator[]) is not checked. A CTxt belongs to one thread.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

class CTxt {
 public:
  // Longest text Format produces; longer output is cut to this many characters.
  static constexpr int kMaxFormatLength = 100000;

  CTxt();
  CTxt(const char* p);  // NOLINT: implicit on purpose, texts are passed as literals
  CTxt(const CTxt& other);
  CTxt(CTxt&& other) noexcept;
  ~CTxt();
  // Copies the characters; self-assignment and a source without buffer change nothing.
  CTxt& operator=(const CTxt& other);
  CTxt& operator=(CTxt&& other) noexcept;
  CTxt& operator=(const char* p);  // SetTxt

  // --- construction and content --------------------------------------------------------
  void Reset();          // forget the buffer without freeing it (its new owner frees it)
  void Empty();          // free the buffer: data null, length and capacity 0
  void ReleaseBuffer();  // the same as Empty
  void MakeEmpty();      // make the text "" keeping (or allocating) a buffer
  int SetTxt(const char* p);  // copy p; null frees the buffer. Result the length
  // "%-*.*s" with width (cut or pad), then trailing blanks removed.
  int SetTxtFixLen(const char* p, int width);

  char* GetData() { return data_; }  // may be null
  const char* GetData() const { return data_; }
  operator const char*();  // never null (makes a null text "")
  operator const char*() const { return data_ ? data_ : ""; }
  int GetLength() const { return length_; }
  int GetAllocLength() const { return capacity_; }  // bytes allocated
  int IsEmpty() const { return length_ <= 0; }
  int IsFilled() const { return length_ > 0; }

  char GetAt(int i) const { return data_[i]; }
  void SetAt(int i, char ch) { data_[i] = ch; }
  char operator[](int i) const { return data_[i]; }
  char& operator[](int i) { return data_[i]; }

  int AddTxt(const char* p);  // append; null or "" changes nothing. Result new length
  CTxt& operator+=(const char* p);
  CTxt& operator+=(char ch);
  int Add(char ch);  // append one character
  // Insert before pos (pos beyond the end: at the end; negative: at the start).
  int InsertAt(int pos, const char* p);
  int InsertAt(int pos, char ch);

  // printf-style formatting; output beyond kMaxFormatLength characters is cut.
  int Format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
  int FormatV(const char* fmt, va_list args);
  // The format is the program's string resource id (empty text when there is none).
  int Format(unsigned id, ...);
  // Windows message formatting with numbered inserts ("%1", "%2!d!", ...). Result the
  // length, or -1 (text empty) when formatting fails.
  int FormatMessageA(const char* fmt, ...);
  int FormatMessageA(unsigned id, ...);
  // The system's text for the calling thread's last error (at most 1000 bytes).
  int GetSysErrMsg();
  // Set from n bytes of memory; a zero byte inside ends the text.
  int ReadFromRam(const void* p, int n);
  int FillChar(char ch, int n);   // n copies of ch (n below 1 counts as 1)
  int MakeFixedLength(int n);     // cut to n or pad with blanks to n
  int MakeLength(int n);          // cut to n when longer
  int MakeUpper();
  int MakeLower();
  static void Shutdown();  // release process-wide scratch memory (none is kept today)

  // --- finding -------------------------------------------------------------------------
  int FindChar(char ch) const;               // position; -1 empty text, -2 absent
  int FindCharList(const char* set) const;   // first char in set; -1 empty, -2 none
  int FindTextA(const char* p) const;        // without regard to case; -1 absent
  // Index of the entry equal to p without regard to case; -1.
  static int FindStringArray(const std::vector<std::string>& list, const char* p);

  // --- editing (new length; -1 for an empty text where noted) ---------------------------
  int Trim(char ch = ' ');       // both ends; 0 for an empty text
  int TrimRight(char ch = ' ');  // result: the number removed
  int TrimNum(int withBrackets = 0);  // keep "0123456789.E+-" (and "()")
  int RemoveChar(char ch);                 // -1 empty
  int RemoveCharList(const char* set);     // -1 empty
  int ExtractChar(const char* set);        // keep only chars of set; -1 empty
  // -1 pos negative, -2 pos at or beyond the end, -3 n below 1, -4 empty; n cut to the end.
  int RemoveRange(int pos, int n);
  // Keep from..to, counted from 1 and inclusive: -1 empty, -2 from beyond the length,
  // -3 to beyond the length, -4 to before from.
  int ExtractRange(int from, int to);
  int RemoveFromText(const char* p);              // every p, ignoring case; -1 empty
  int ReplaceInText(const char* p, const char* q);  // null or "" q removes; -1 empty
  int Replace(char a, char b);  // result the number replaced
  int InsertCR();               // CR before every LF not preceded by CR
  // decode 0: CR, LF, TAB become "\\r", "\\n", "\\t"; otherwise those pairs become the
  // characters again and a backslash with any other character drops both.
  int ConvCRLF(int decode);
  int MaskNonPrintable();  // bytes outside 32-126 become '+'; result the number replaced
  // Allowed: isalnum, "~_+-#$(){}[]" and extra. replace 0: result the first disallowed
  // character (0 none). Otherwise each becomes '_' and the result is the first position
  // (-1 none). -1 for an empty text.
  int MaskNonFilename(int replace, const char* extra = nullptr);
  int MaskNonVar(int replace, const char* extra = nullptr);  // isalnum, '_' and extra

  // --- conversions -----------------------------------------------------------------------
  int ConvHex(int encode);  // "%02X" per byte, or back; -1 empty
  int ConvTxt2XML();
  int ConvXML2Txt();  // does nothing, result 0
  int ConvHTM2TXT();
  // Eight upper-case hex digits of value; digits 1, 2, 3 keep the last 2, 4, 6.
  int GetHex(unsigned value, int digits);
  // The same with n = 2, 4, 6 digits (others: 8); -1 when formatting fails.
  int MakeHexValue(unsigned value, int n);
  // "%02X," per byte; n outside 1-1000 gives "GetHexArray(%dBy)".
  int GetHexArray(const void* bytes, int n);
  // "%.*f" with trailing fractional zeros (and a bare point) and leading blanks removed.
  int MakeValueTxt(double x, int decimals);
  // Replace "@<n>" by field n of values (strfld with separator). 0 done; -1 values has no
  // field; -2 template empty; -3 '@' without digit; -4 bad or empty field with lenient 0
  // (text unchanged). With lenient not 0 such placeholders become empty.
  int FillPlaceHolder(const char* values, int lenient, char separator);

  // --- file names (parts as _splitpath gives them) ---------------------------------------
  // part 0 drive, 1 folder (with trailing slash), 2 name, 3 extension without the point,
  // 4 drive+folder, 5 name+extension, 6 drive+folder+name, 7 all. Result out's length.
  int GetFileTxt(int part, CTxt& out) const;
  int IsSameFileTxt(const char* path, int part) const;  // 1 equal ignoring case, else 0
  int MakeFn();     // single backslashes -> '/', trailing '/' removed
  int MakeFnDOS();  // '/' -> backslash, trailing slashes and backslashes removed
  int MakeFileExt(const char* ext);  // 1 when already ext (unchanged), else replaced: 0
  int MakeFileName(const char* name, const char* ext);  // folder/name.ext; null ext keeps
  int InsertToFn(const char* p, int dash);  // p (and '-') in front of the file name
  int AddToFn(const char* p, int dash);     // ('-' and) p after the name, before the ext
  // Appends "\r\n(File=%s, Line=%d)" or fmt (with the same two arguments).
  int AppendFileLocation(const char* file, int line, const char* fmt = nullptr);
  // Running program's path, forward slashes, "/Release/" taken out; then part as above.
  static int GetExeName(CTxt& out, int part);
  // Pattern with a run of "%%" for the number: first free name, result its number; -1 and
  // "Missing Sequence Placeholder (%%) in: %s" when the run is missing.
  int GetNextFile(const char* pattern);
  // src up to the first separator (0: all); trim 1 removes trailing blanks. Result length.
  int GetField(const char* src, char separator, int trim);
  // The entries of array, each followed by separator. Result the number of entries.
  // (Implemented with the text arrays, txt_array.cpp.)
  int LoadFromArray(const class CTxtArray& array, const char* separator = "\r\n");

  // --- whole files ------------------------------------------------------------------------
  // Binary read of the whole file. Result the length; -1 and "Cannot open '%s' (%s)".
  int LoadFromFile(const char* path);
  // Binary write of the characters; append 1 appends. Result the length; -1 and
  // "Cannot open '%s' (%s)" or "Missing filename"; -2 and "Cannot write '%s' (%s)" when the
  // characters did not all reach the file (a full disk must not pass for a saved file).
  int SaveToFile(const char* path, int append);
  int SaveToFileCommit(const char* path, int append);  // the same, committed to disk
  // Record: 32-bit little-endian count n = length + 1, then n bytes (text and zero).
  // BinarySave: count + 4; -1 count not written, -2 characters not written.
  int BinarySave(FILE* stream);
  int BinaryRead(FILE* stream);  // 0, or -1 (text unchanged)
  // From memory holding at least `available` bytes. Result count + 4 (bytes consumed), or
  // -1 when the record is malformed or longer than `available` (text unchanged).
  int BinaryRead(const void* memory, int available);
  // Hex dump into "<name>-<width>.txt" beside path. 0; -1 empty or missing file,
  // -2 cannot open, -3 short read, -4 dump file not written (message in the text). On
  // success the text holds the dump file's path.
  int PrintFile(const char* path, int width, int withOffset);

 private:
  // Makes the buffer at least `bytes` long, allocating exactly `bytes` when it must; the
  // content moves along. With oldBuffer the replaced buffer is handed back (the caller
  // frees it with TaskFree) instead of being freed here.
  bool Reserve(int bytes, char** oldBuffer = nullptr);
  void SetLen(int n) { length_ = n; data_[n] = 0; }
  int SetBytes(const char* p, int n);  // copy n bytes (no zero inside) as the new text
  int AppendBytes(const char* p, int n);
  // The common file writer of SaveToFile / SaveToFileCommit.
  int WriteFile(const char* path, const char* mode, bool commit);

  char* data_ = nullptr;
  int length_ = 0;
  int capacity_ = 0;
};
