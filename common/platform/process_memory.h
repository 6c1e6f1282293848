// The resident memory of this process (the pages it holds in RAM), for the simulator's soak
// runs. A plain function like modules.h: the libraries never ask, so there is nothing to fake.
#pragma once

#include <cstddef>

// Bytes of this process resident in memory now; 0 when the system does not tell.
size_t ResidentBytes();
