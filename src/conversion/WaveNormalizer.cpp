#include "conversion/WaveNormalizer.h"
