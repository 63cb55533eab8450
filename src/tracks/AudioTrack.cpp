#include "tracks/AudioTrack.h"

#include "audio/AudioFileFactory.h"
#include "io/Paths.h"

CAudioTrack::CAudioTrack(const std::string& path)
    : m_pAudioFile(CreateAudioFileFor(path)), m_Extension(UpperCaseExtension(PathFromUtf8(path))),
      m_Path(path)
{
    if (!m_pAudioFile)
        return;
    m_pAudioFile->SetPath(path);
    // A file that cannot be decoded is listed with no length.
    (void)m_pAudioFile->BeginDecoding();
    m_pAudioFile->EndDecoding();
}

std::int32_t CAudioTrack::GetLength() const
{
    return m_pAudioFile ? m_pAudioFile->GetLength() : 0;
}

const std::string& CAudioTrack::GetPathText() const
{
    return m_pAudioFile ? m_pAudioFile->GetPath() : m_Path;
}

std::int32_t CDiscAudioTrack::GetLengthInSectors() const
{
    if (!m_pAudioFile)
        return 0;
    return static_cast<std::int32_t>(m_pAudioFile->GetLength() * (1.0 / 13.3333));
}

Status CDiscAudioTrack::SetFile(const std::string& path)
{
    m_pAudioFile = CreateAudioFileFor(path);
    if (!m_pAudioFile)
        return Status::Failure("not an MP3, WAV or Ogg Vorbis file by its name");
    m_pAudioFile->SetPath(path);
    return m_pAudioFile->Validate();
}

Status CDiscAudioTrack::BeginDecoding()
{
    if (!m_pAudioFile)
        return Status::Failure("no file to decode");
    return m_pAudioFile->BeginDecoding();
}

void CDiscAudioTrack::EndDecoding()
{
    if (m_pAudioFile)
        m_pAudioFile->EndDecoding();
}

std::int32_t CDiscAudioTrack::Read(std::size_t size, std::size_t count, void* buffer,
                                   std::size_t capacity)
{
    return m_pAudioFile ? m_pAudioFile->Read(size, count, buffer, capacity) : -1;
}
