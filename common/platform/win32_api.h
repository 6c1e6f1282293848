// <windows.h> as the Windows backend files take it: lean, without min/max, and without the
// A/W macros whose names are also names of our own Platform calls.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#undef MessageBox
#undef WriteProfileString
