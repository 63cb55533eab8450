#include "audio/ogg/OggCommentRewriter.h"
