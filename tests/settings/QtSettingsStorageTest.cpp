#include "settings/QtSettingsStorage.h"

#include <gtest/gtest.h>
