// The simulator's demo: every study on the shipped sample data, in a fresh folder.
#pragma once

#include <string>

// Copies the sample bar files and pattern files from dataDir into a new folder below
// outParent (out/demo/<date-time>), points the libraries' folders at it, runs every study
// and prints where the CSV and SVG files are. Result 0 or an exit code.
int RunDemo(const std::string& dataDir, const std::string& outParent);
