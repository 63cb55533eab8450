// The MP3 frame walk on arbitrary bytes, from memory. The same bytes are
// walked twice, once in one piece and once served in small pieces: the
// verdict must not depend on where the source's reads end.
#include "FuzzInput.h"
#include "check/IProgressSink.h"
#include "check/MP3Check.h"
#include "check/MP3InformationFrame.h"
#include "check/MP3StreamStart.h"
#include "support/MemorySource.h"

#include <vector>

namespace
{
class CPercentGuard final : public IProgressSink
{
public:
    bool IsCancelled() const override { return false; }
    void SetProgress(int percent) override
    {
        FuzzExpect(percent >= 0 && percent <= 100, "progress outside 0..100");
    }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::uint8_t> bytes(data, data + size);
    CPercentGuard progress;

    CMemorySource whole(bytes);
    CMP3Check first;
    const bool sound = first.CheckSource(whole, &progress);
    const MP3CheckResult& a = first.GetResult();
    FuzzExpect(a.readable, "a memory source always reads to its end");
    FuzzExpect(a.damage.size() <= a.errors, "more damage recorded than counted");
    FuzzExpect(a.countedFrames * 21 <= size + 21, "more frames counted than fit the bytes");

    // Pieces of 1 to 64 bytes, chosen by the input so that both the fast
    // buffered path and the byte-wise path meet every kind of boundary.
    const std::size_t chunk = size > 0 ? 1 + data[size - 1] % 64 : 1;
    CMemorySource pieces(bytes, chunk);
    CMP3Check second;
    FuzzExpect(second.CheckSource(pieces, nullptr) == sound, "verdict depends on read sizes");
    const MP3CheckResult& b = second.GetResult();
    FuzzExpect(b.countedFrames == a.countedFrames && b.errors == a.errors,
               "counts depend on read sizes");

    // So does the search for where the audio starts.
    CMemorySource wholeAgain(bytes), piecesAgain(bytes, chunk);
    MP3StreamStart x, y;
    FuzzExpect(FindMP3StreamStart(wholeAgain, x).Ok() && FindMP3StreamStart(piecesAgain, y).Ok(),
               "a memory source never fails");
    FuzzExpect(x.found == y.found && x.offset == y.offset && x.firstFrame == y.firstFrame,
               "the start depends on read sizes");
    FuzzExpect(!x.found || x.offset + x.firstFrame.size() <= size, "a start beyond the bytes");
    DeclaresMoreThanTheFileHolds(ReadInformationFrame(x), x);
    return 0;
}
