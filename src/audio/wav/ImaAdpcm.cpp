#include "audio/wav/ImaAdpcm.h"
