#include "conversion/WaveNormalizer.h"

#include <gtest/gtest.h>
