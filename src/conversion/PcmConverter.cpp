#include "conversion/PcmConverter.h"
