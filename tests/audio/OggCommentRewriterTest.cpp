#include "audio/ogg/OggCommentRewriter.h"

#include <gtest/gtest.h>
