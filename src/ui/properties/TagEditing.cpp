#include "ui/properties/TagEditing.h"

#include "tracks/Document.h"
#include "ui/properties/AudioElementSheet.h"

#include <utility>

void EditTracksTags(CTunewright20Doc& doc, const std::vector<std::size_t>& positions,
                    CHelpContext& help, QWidget* parent)
{
    TrackRefs tracks = doc.GetTracksAt(positions);
    if (tracks.empty())
        return;
    const bool several = tracks.size() > 1;
    CAudioElementSheet sheet(std::move(tracks), help, {}, parent);
    const bool confirmed = sheet.exec() == QDialog::Accepted;
    // An Apply before Cancel has changed records too; the list must show them.
    if (several || confirmed || sheet.SavedAny())
        doc.UpdateViews(ViewScope::AllButFolderList);
}
