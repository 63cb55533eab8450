#include "audio/ogg/AudioOggFile.h"
