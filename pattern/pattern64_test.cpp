// XMT_PATTERN64 against the in-memory study object.
#include <gtest/gtest.h>
