// How many threads the engine's runs may use, as a benchmark sets it.
#pragma once

#include "engine/globals.h"

using namespace halvorine;

namespace benchthreads {

inline void Use(int threads) {
    RunThreadCount = threads;
}

}  // namespace benchthreads
