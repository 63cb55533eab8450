// The deep check over any bytes: the walk, then every frame decoded and its
// side information read. What it reports must stay inside the file and in
// playing order.
#include "FuzzInput.h"
#include "check/MP3CheckTask.h"
#include "check/MP3DecodeCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = WriteFuzzInput(data, size, ".mp3");
    CMP3DecodeCheck deep;
    CMP3CheckTask task;
    task.SetDeepCheck(&deep);
    task.SetPath(path);
    const bool sound = task.Run(nullptr);
    const MP3CheckResult& result = task.GetResult();
    const MP3DecodeResult& decode = result.decode;
    FuzzExpect(sound == result.IsSound(), "verdict and result disagree");
    FuzzExpect(decode.faults.size() <= MP3DecodeResult::kMaxRecordedFaults, "too many faults");
    FuzzExpect(decode.badFrames >= decode.faults.size(), "a fault not counted");
    std::uint64_t ticks = 0;
    for (const MP3DecodeFault& fault : decode.faults)
    {
        FuzzExpect(fault.offset + fault.bytes <= size, "a fault past the end of the file");
        FuzzExpect(fault.ticks >= ticks, "faults out of playing order");
        ticks = fault.ticks;
    }
    return 0;
}
