#include "tracks/TagWriter.h"

#include "audio/AudioFileFactory.h"

Status WriteTagsVerified(CAudioFile& file)
{
    const std::int32_t lengthBefore = file.GetLength();
    if (Status written = file.WriteTags(); !written)
        return Status::Failure("cannot write the tags: " + written.Reason());
    file.EndDecoding();
    std::unique_ptr<CAudioFile> reread = CreateAudioFileFor(file.GetPath());
    if (!reread)
        return {};
    reread->SetPath(file.GetPath());
    if (Status valid = reread->Validate(); !valid)
        return Status::Failure("the file cannot be read after writing its tags: " + valid.Reason());
    reread->EndDecoding();
    if (reread->GetLength() != lengthBefore)
        return Status::Failure("the audio lasts " + std::to_string(reread->GetLength()) +
                               " ms after writing the tags, " + std::to_string(lengthBefore) +
                               " ms before");
    return {};
}
