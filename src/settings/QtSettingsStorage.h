#pragma once

#include "settings/SettingsStore.h"
