#include "tracks/TagWriter.h"

#include "audio/AudioFileFactory.h"

bool WriteTagsVerified(CAudioFile& file, std::string& error)
{
    const std::int32_t lengthBefore = file.GetLength();
    if (!file.WriteTags())
    {
        error = "cannot write the tags: " + file.GetError();
        return false;
    }
    file.EndDecoding();
    std::unique_ptr<CAudioFile> reread = CreateAudioFileFor(file.GetPath());
    if (!reread)
        return true;
    reread->SetPath(file.GetPath());
    if (!reread->IsValid())
    {
        error = "the file cannot be read after writing its tags: " + reread->GetError();
        return false;
    }
    reread->EndDecoding();
    if (reread->GetLength() != lengthBefore)
    {
        error = "the audio lasts " + std::to_string(reread->GetLength()) +
                " ms after writing the tags, " + std::to_string(lengthBefore) + " ms before";
        return false;
    }
    return true;
}
