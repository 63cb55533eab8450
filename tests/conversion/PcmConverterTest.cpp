#include "conversion/PcmConverter.h"

#include <gtest/gtest.h>
