#include "ui/common/HelpContext.h"

QString CHelpContext::TopicPage(int context)
{
    switch (context)
    {
    case kMain:
        return QStringLiteral("index.html");
    case kConfiguration:
        return QStringLiteral("Configuration.html");
    case kEditTags:
        return QStringLiteral("Editid3tags.html");
    case kAnalyzing:
        return QStringLiteral("Analyzingtracks.html");
    case kConvertToWav:
        return QStringLiteral("Converting_MP3_Files.html");
    case kConvertToMp3OrOgg:
        return QStringLiteral("Converting_WAV_Files.html");
    case kConvertMp3ToMp3:
        return QStringLiteral("Converting_MP3_to_MP3_Files.html");
    default:
        return {};
    }
}
