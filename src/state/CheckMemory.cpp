#include "state/CheckMemory.h"

#include "check/MP3Check.h"
#include "state/SpanHash.h"

#include <chrono>
#include <ctime>

std::optional<RememberedCheck> RecallUnchanged(CCheckHistory& history, const std::string& key,
                                               const FileStamp& stamp)
{
    std::optional<RememberedCheck> known = history.Find(key);
    if (known && !known->stamp.SameContentAs(stamp))
        known.reset();
    return known;
}

bool DescribeCheck(const std::string& key, const FileStamp& stamp, const MP3CheckResult& result,
                   const std::string& summary, std::int64_t now, RememberedCheck& check)
{
    if (!result.readable)
        return false;
    check = {};
    check.path = key;
    check.stamp = stamp;
    check.sound = result.IsSound();
    check.errors = result.errors;
    check.note = VerdictNote(result);
    check.summary = summary;
    check.checkedAt = now;
    check.intactAt = now;
    if (result.audioEnd > result.audioStart)
    {
        std::string error;
        check.hasAudioHash =
            HashFileSpan(key, result.audioStart, result.audioEnd, check.audioHash, error);
    }
    return true;
}

AudioChange Reconcile(CCheckHistory& history, const RememberedCheck& fresh, std::string& error)
{
    const std::optional<RememberedCheck> known = history.Find(fresh.path);
    if (known && known->stamp.SameContentAs(fresh.stamp) && known->hasAudioHash &&
        fresh.hasAudioHash && known->audioHash != fresh.audioHash)
        return {true, known->intactAt};
    history.Remember(fresh, error);
    return {};
}

std::int64_t SecondsNow()
{
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::string LocalTimeText(std::int64_t seconds)
{
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm local{};
#ifndef _WIN32
    localtime_r(&time, &local);
#else
    localtime_s(&local, &time);
#endif
    char text[32];
    return std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local) > 0 ? text : "?";
}
