#include "settings/QtSettingsStorage.h"
