// The pieces of one bar-file line: splitting it into fields, and reading a field as a
// number or a time of day.
#pragma once

#include <string>
#include <vector>

// The field separator of a file, told from its header line: ';' or a tab when the header
// holds one, else ','.
char SeparatorOf(const std::string& header);

// The fields of a line, each trimmed of spaces and tabs. A double quote opens or closes a
// quoted stretch, in which the separator is part of the field; the quotes themselves are
// dropped. A carriage return is dropped.
std::vector<std::string> SplitFields(const std::string& line, char separator);

// A finite number; with decimalComma a ',' is the decimal mark too (files separated by ';'
// or tabs write 1,2345). False for anything else, nan and inf included.
bool ParseNumber(const std::string& text, bool decimalComma, double* out);

// True for a text of one or more digits 0-9 and nothing else.
bool AllDigits(const std::string& text);

// 09:30, 9:30:15, 0930 or 093015 -> 930 (seconds are checked and dropped); -1 when it is
// no time of day.
int ParseTime(const std::string& text);
