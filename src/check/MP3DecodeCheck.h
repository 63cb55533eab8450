#pragma once

#include "check/MP3CheckTask.h"

#include <functional>
#include <memory>
#include <string>

// The deep check: decodes every frame of a file with libmpg123 and counts
// the frames the decoder cannot use. The library reports no such frame
// through its interface; it puts silence in place of the data it gives up
// on, and repairs impossible side information quietly. So a frame counts
// when its side information holds what no encoder writes, when a granule
// decodes to exact silence right after audio that was still sounding (a real
// decode leaves the filters ringing), when the decoder refuses it, and when
// the decoder passes over bytes between frames.
// One object per thread; it keeps its decoder from file to file.
class CMP3DecodeCheck final : public IMP3DeepCheck
{
public:
    CMP3DecodeCheck();
    ~CMP3DecodeCheck() override;
    CMP3DecodeCheck(const CMP3DecodeCheck&) = delete;
    CMP3DecodeCheck& operator=(const CMP3DecodeCheck&) = delete;

    // Asked between frames: once it holds, the file in hand is given up with
    // the failure "interrupted". Unset, every file is decoded to its end.
    void SetStop(std::function<bool()> stop) { m_stop = std::move(stop); }

    void Check(const std::string& path, MP3CheckResult& result, IProgressSink* progress) override;

private:
    struct Decoder;
    std::unique_ptr<Decoder> m_decoder;
    std::function<bool()> m_stop;
};
