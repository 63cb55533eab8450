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

Status HashFileSpan(const std::string& path, std::uint64_t start, std::uint64_t end,
                    std::uint64_t& hash)
{
    CInputFile file;
    if (Status failed = file.Open(path); !failed)
        return failed;
    if (end < start || end > file.Size())
        return Status::Failure("the file is shorter than when it was checked");
    HashState state(XXH3_createState());
    if (!state || XXH3_64bits_reset(state.get()) != XXH_OK)
        return Status::Failure("out of memory");
    if (!file.Skip(start))
        return Status::Failure(file.ErrorText());
    std::vector<std::uint8_t> block(kBlockSize);
    for (std::uint64_t left = end - start; left > 0;)
    {
        const std::size_t want = left < kBlockSize ? static_cast<std::size_t>(left) : kBlockSize;
        const std::int64_t got = file.Read(block.data(), want);
        if (got <= 0)
            return Status::Failure(got < 0 ? file.ErrorText()
                                           : "the file is shorter than when it was checked");
        XXH3_64bits_update(state.get(), block.data(), static_cast<std::size_t>(got));
        left -= static_cast<std::uint64_t>(got);
    }
    hash = XXH3_64bits_digest(state.get());
    return {};
}
