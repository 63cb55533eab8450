#pragma once

#include "tracks/IRunHost.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

// Records everything a run tells its host. Questions get `answer` (or what
// `onAsk` says); a cancel is asked for by setting `cancelled`, by `onFile`
// when a file is shown, or by `cancelIf` at the moment the run asks.
class CRecordingHost final : public IRunHost
{
public:
    bool IsCancelled() const override { return cancelled || (cancelIf && cancelIf()); }
    void SetProgress(int percent) override { progress.push_back(percent); }
    void SetCurrentFile(const std::string& path) override
    {
        files.push_back(path);
        if (onFile)
            onFile(path);
    }
    void SetCaption(const std::string& text) override { captions.push_back(text); }
    void AddResultLine(const std::string& text, std::uint32_t colour) override
    {
        lines.emplace_back(text, colour);
    }
    HostAnswer Ask(const std::string& question) override
    {
        questions.push_back(question);
        return onAsk ? onAsk(question) : answer;
    }
    void ShowMessage(const std::string& text, MessageIcon) override { messages.push_back(text); }

    bool cancelled = false;
    HostAnswer answer = HostAnswer::Yes;
    std::function<void(const std::string&)> onFile;
    std::function<bool()> cancelIf;
    std::function<HostAnswer(const std::string&)> onAsk;
    std::vector<int> progress;
    std::vector<std::string> files;
    std::vector<std::string> captions;
    std::vector<std::pair<std::string, std::uint32_t>> lines;
    std::vector<std::string> questions;
    std::vector<std::string> messages;
};
