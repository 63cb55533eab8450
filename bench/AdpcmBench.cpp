#include "audio/wav/ImaAdpcm.h"

#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
