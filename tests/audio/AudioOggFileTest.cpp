#include "audio/ogg/AudioOggFile.h"

#include <gtest/gtest.h>
