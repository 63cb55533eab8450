#pragma once

#include <QString>

// The help topic the Help command opens: 1000 while nothing else is open;
// a dialog with a topic sets its own while it is open.
class CHelpContext
{
public:
    static constexpr int kMain = 1000;
    static constexpr int kConfiguration = 1001;
    static constexpr int kEditTags = 1002;
    static constexpr int kAnalyzing = 1003;
    static constexpr int kConvertToWav = 1004;
    static constexpr int kConvertToMp3OrOgg = 1005;
    static constexpr int kConvertMp3ToMp3 = 1006;

    int Get() const { return m_context; }
    void Set(int context) { m_context = context; }

    // The help page of a context ("index.html", "Configuration.html", ...),
    // or an empty text for a context without a topic.
    static QString TopicPage(int context);

private:
    int m_context = kMain;
};

// Sets a dialog's help context for its lifetime and puts the previous one back.
class CHelpContextScope
{
public:
    CHelpContextScope(CHelpContext& help, int context) : m_help(help), m_saved(help.Get())
    {
        m_help.Set(context);
    }
    ~CHelpContextScope() { m_help.Set(m_saved); }
    CHelpContextScope(const CHelpContextScope&) = delete;
    CHelpContextScope& operator=(const CHelpContextScope&) = delete;

private:
    CHelpContext& m_help;
    int m_saved;
};
