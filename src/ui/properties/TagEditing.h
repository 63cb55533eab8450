#pragma once

#include <cstddef>
#include <vector>

class CHelpContext;
class CTunewright20Doc;
class QWidget;

// Runs the track properties modally for the document's records at
// `positions` (one or several), then has the views show the new tags: for
// several tracks always, for one when the sheet ended with OK or saved
// something. The caller has released the working list's playback.
void EditTracksTags(CTunewright20Doc& doc, const std::vector<std::size_t>& positions,
                    CHelpContext& help, QWidget* parent);
