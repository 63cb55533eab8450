#pragma once

#include <string>

class IRunHost;

// Normalises a WAV file that a conversion has just written: the loudest
// sample is brought to 95 % of full scale by one gain for the whole file.
// The scaled copy is written to "~" + the file's name in `folder` and then
// renamed over the output in one step. Returns true when the output was
// replaced by its normalised copy; false on a cancel (asked of `host`) or an
// error (told to `host`), and then the output is left complete and
// unscaled and the temporary file is removed. `compressed` writes the copy
// as IMA ADPCM, else as 16-bit PCM. Shows "Normalizing" in the caption.
bool NormalizeWaveFile(const std::string& output, const std::string& folder, bool compressed,
                       IRunHost& host);
