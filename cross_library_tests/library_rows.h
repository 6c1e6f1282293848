// The export rows of each study library for the bad-argument matrix, with the results the
// null calls must give (each pointer argument null on its own, in argument order, then
// every pointer null at once).
#pragma once

#include <vector>

#include "cross_library_tests/export_matrix.h"

// Full paths of the libraries where the build gives them (Windows: the test program does
// not sit beside them); empty where the bare file names are found beside the program.
#ifndef XMT_PATTERN_PATH
#define XMT_PATTERN_PATH ""
#endif
#ifndef XMT_SIGNALS_PATH
#define XMT_SIGNALS_PATH ""
#endif
#ifndef XMT_MOMENTUM_PATH
#define XMT_MOMENTUM_PATH ""
#endif

// The study library of that file name, loaded once for the whole program (from fullPath
// when it is not empty); XMT_LOADED(XMT_SIGNALS) names one by its target.
const LoadedLibrary& StudyLibrary(const char* fileName, const char* fullPath);
#define XMT_LOADED(name) StudyLibrary(name##_FILE_NAME, name##_PATH)

struct MatrixEntry {
  matrix::Row row;
  std::vector<double> nullResults;
};

std::vector<MatrixEntry> PatternRows();
std::vector<MatrixEntry> SignalsRows();
std::vector<MatrixEntry> MomentumRows();

// Brings the baseline instances of each library into a state with history (bars fed, a
// rule file and a column file in place), so that the varied calls reach the calculations
// and not only the checks at the door.
void PreparePattern(const LoadedLibrary& lib);
void PrepareSignals(const LoadedLibrary& lib);
void PrepareMomentum(const LoadedLibrary& lib);

// Bars 1..kPreparedBars of the prepared history: day n of March and April 2015 (host form).
inline constexpr int kPreparedBars = 46;
inline int PreparedDate(int bar) { return bar <= 31 ? 1150300 + bar : 1150400 + bar - 31; }
inline int PreparedPrice(int bar) { return 10000 + (bar % 7) * 60 - (bar % 3) * 40; }
