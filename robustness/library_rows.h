// The export rows of each study library for the bad-argument matrix, with the results the
// null calls must give (each pointer argument null on its own, in argument order, then
// every pointer null at once).
#pragma once

#include <vector>

#include "robustness/export_matrix.h"

struct MatrixEntry {
  matrix::Row row;
  std::vector<double> nullResults;
};

std::vector<MatrixEntry> PatternRows();
std::vector<MatrixEntry> SignalsRows();
