#include "settings/SettingsStore.h"
