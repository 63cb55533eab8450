#include "audio/wav/ImaAdpcm.h"

#include <gtest/gtest.h>
