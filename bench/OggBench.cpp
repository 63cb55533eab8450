#include "audio/ogg/AudioOggFile.h"

#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
