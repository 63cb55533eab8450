#pragma once

#include "tracks/IRunHost.h"

#include <QString>
#include <functional>

class QWidget;

// A text of the core as the window shows it. The core hands over its texts
// filled in; those that are constants find their translation, the others
// (paths, filled questions) show as they are.
QString CoreText(const std::string& text);

// Shows a run's questions and messages to the user. Message boxes by
// default; tests put in answers of their own so that nothing blocks.
// Called on the user-interface thread only.
struct CMessagePresenter
{
    // A question with Yes, No and Cancel and the question icon.
    std::function<HostAnswer(QWidget* parent, const QString& question)> ask;
    std::function<void(QWidget* parent, const QString& text, MessageIcon icon)> show;

    static CMessagePresenter MessageBoxes();

    // A core text asked or shown; without a way to ask, the answer is Cancel.
    HostAnswer AskCore(QWidget* parent, const std::string& question) const;
    void ShowCore(QWidget* parent, const std::string& text, MessageIcon icon) const;
};

// A host for work done on the user-interface thread itself (the report, the
// move of corrupt files): questions and messages go straight to the
// presenter; there is no progress to show and nothing to cancel.
class CDirectRunHost final : public IRunHost
{
public:
    CDirectRunHost(const CMessagePresenter& presenter, QWidget* parent)
        : m_presenter(presenter), m_parent(parent)
    {
    }

    bool IsCancelled() const override { return false; }
    void SetProgress(int) override {}
    void SetCurrentFile(const std::string&) override {}
    void SetCaption(const std::string&) override {}
    void AddResultLine(const std::string&, std::uint32_t) override {}
    HostAnswer Ask(const std::string& question) override;
    void ShowMessage(const std::string& text, MessageIcon icon) override;

private:
    const CMessagePresenter& m_presenter;
    QWidget* m_parent;
};
