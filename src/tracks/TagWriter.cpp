#include "tracks/TagWriter.h"

#include "audio/AudioFileFactory.h"

Status WriteTagsVerified(CAudioFile& file)
{
    const std::int32_t lengthBefore = file.GetLength();
    if (!file.WriteTags())
        return Status::Failure("cannot write the tags: " + file.GetError());
    file.EndDecoding();
    std::unique_ptr<CAudioFile> reread = CreateAudioFileFor(file.GetPath());
    if (!reread)
        return {};
    reread->SetPath(file.GetPath());
    if (!reread->IsValid())
        return Status::Failure("the file cannot be read after writing its tags: " +
                               reread->GetError());
    reread->EndDecoding();
    if (reread->GetLength() != lengthBefore)
        return Status::Failure("the audio lasts " + std::to_string(reread->GetLength()) +
                               " ms after writing the tags, " + std::to_string(lengthBefore) +
                               " ms before");
    return {};
}
