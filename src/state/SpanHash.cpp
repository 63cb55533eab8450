#include "state/SpanHash.h"

#include "io/InputFile.h"

#include <memory>
#include <vector>
#include <xxhash.h>

namespace
{
constexpr std::size_t kBlockSize = 256 * 1024;

struct HashStateDeleter
{
    void operator()(XXH3_state_t* state) const { XXH3_freeState(state); }
};
using HashState = std::unique_ptr<XXH3_state_t, HashStateDeleter>;
} // namespace

bool HashFileSpan(const std::string& path, std::uint64_t start, std::uint64_t end,
                  std::uint64_t& hash, std::string& error)
{
    CInputFile file;
    if (!file.Open(path, error))
        return false;
    if (end < start || end > file.Size())
    {
        error = "the file is shorter than when it was checked";
        return false;
    }
    HashState state(XXH3_createState());
    if (!state || XXH3_64bits_reset(state.get()) != XXH_OK)
    {
        error = "out of memory";
        return false;
    }
    if (!file.Skip(start))
    {
        error = file.ErrorText();
        return false;
    }
    std::vector<std::uint8_t> block(kBlockSize);
    for (std::uint64_t left = end - start; left > 0;)
    {
        const std::size_t want = left < kBlockSize ? static_cast<std::size_t>(left) : kBlockSize;
        const std::int64_t got = file.Read(block.data(), want);
        if (got <= 0)
        {
            error = got < 0 ? file.ErrorText() : "the file is shorter than when it was checked";
            return false;
        }
        XXH3_64bits_update(state.get(), block.data(), static_cast<std::size_t>(got));
        left -= static_cast<std::uint64_t>(got);
    }
    hash = XXH3_64bits_digest(state.get());
    return true;
}
