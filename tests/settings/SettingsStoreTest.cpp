#include "settings/SettingsStore.h"

#include <gtest/gtest.h>
