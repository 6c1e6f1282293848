// The process-wide registry of loaded patterns, keyed by (pattern name, study ID).
//
// A study instance asks for its pattern by name on every bar; the file is read once and the
// loaded CPivPatRec kept for the life of the library, so that its verdict and values persist
// between calls. Two instances using the same pattern name get independent copies. A load
// that fails is not remembered: the next call reads the file again.
//
// Contract:
// - The registry owns its patterns; ClearPatterns and unloading the library free them all.
//   A pointer returned by FindPattern stays valid until the next ClearPatterns.
// - Name and ID compare without regard to case, over the whole text. Null reads as "".
// - Not locked: the host calls the exports one at a time.
#pragma once

class CPivPatRec;
class CTxt;

// The pattern for (name, id), loaded from its file on first use. Null when it cannot be
// loaded: err then holds "Load Error Name=%s(%s), (%s)" (name, file path, load message),
// which is also logged.
CPivPatRec* FindPattern(const char* name, const char* id, CTxt& err);

// Deletes every pattern (the next FindPattern reads the files again).
void ClearPatterns();

// Number of patterns held (tests and diagnostics).
int PatternCount();
