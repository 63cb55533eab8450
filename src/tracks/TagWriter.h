#pragma once

#include "io/Status.h"

#include <string>

class CAudioFile;

// Stores the file's title, artist and album through its own WriteTags, then
// opens the file afresh and checks that it still reads and that its audio
// lasts exactly as long as before, so that a damaged file is never reported
// as tagged. `file` must have been validated.
Status WriteTagsVerified(CAudioFile& file);
