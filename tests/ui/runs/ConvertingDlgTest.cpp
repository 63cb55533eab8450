#include "ui/runs/ConvertingDlg.h"

#include "RunTestSupport.h"
#include "settings/SettingsStore.h"
#include "support/AudioFiles.h"
#include "support/MemorySettingsStorage.h"
#include "support/TempDir.h"
#include "support/WaveBuilder.h"
#include "tracks/Strings.h"
#include "ui/common/HelpContext.h"
#include "ui/runs/ColorListBox.h"

#include <QComboBox>
#include <QLabel>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace
{
struct Expected
{
    ConversionTarget target;
    const char* title;
    int helpContext;
    const char* extension;
    // Convert values for WAV, MP3 and OGG sources; 0 where the source is not taken.
    std::int32_t fromWav, fromMp3, fromOgg;
};

const Expected kExpected[] = {
    {ConversionTarget::Mp3, "Convert to MP3", CHelpContext::kConvertToMp3OrOgg, ".mp3",
     kConvertWavToMp3, kConvertMp3ToMp3, kConvertOggToMp3},
    {ConversionTarget::Ogg, "Convert to OGG", CHelpContext::kConvertToMp3OrOgg, ".ogg",
     kConvertWavToOgg, kConvertMp3ToOgg, kConvertOggToOgg},
    {ConversionTarget::Wav, "Convert to WAV", CHelpContext::kConvertToWav, ".wav", kConvertWavToWav,
     kConvertMp3ToWav, kConvertOggToWav},
    {ConversionTarget::Mp3ToMp3, "Convert MP3 -> MP3", CHelpContext::kConvertMp3ToMp3, ".mp3",
     kConvertNone, kConvertMp3ToMp3, kConvertNone},
};

class ConvertingDlg : public testing::TestWithParam<Expected>
{
protected:
    ConvertingDlg()
    {
        fs::create_directory(m_dir.Path() / "in");
        fs::create_directory(m_dir.Path() / "out");
        m_settings.SetTrackDir(Out(""));
        Track(WriteTestWave(In("a.wav"), 0.3));
        Track(WriteTestMp3(In("b.mp3"), 0.3));
        Track(WriteTestOgg(In("c.ogg"), 0.3));
    }

    std::string In(const std::string& name) const { return (m_dir.Path() / "in" / name).string(); }
    std::string Out(const std::string& name) const
    {
        return (m_dir.Path() / "out" / name).string();
    }

    void Track(const std::string& path)
    {
        m_records.push_back(std::make_unique<TrackInfo>());
        m_records.back()->path = path;
        m_tracks.push_back(m_records.back().get());
    }

    std::unique_ptr<CConvertingDlg> Dialog()
    {
        return MakeConvertingDlg(
            GetParam().target, m_tracks,
            {m_settings, m_help, [this] { ++m_settingsOpened; }, m_presenter.Presenter()}, nullptr);
    }

    static QPushButton* Button(const QDialog& dialog, const char* name)
    {
        return dialog.findChild<QPushButton*>(QString::fromLatin1(name));
    }

    CTempDir m_dir;
    CMemorySettingsStorage m_storage;
    CSettingsStore m_settings{m_storage};
    CHelpContext m_help;
    CRecordingPresenter m_presenter;
    int m_settingsOpened = 0;
    std::vector<std::unique_ptr<TrackInfo>> m_records;
    TrackRefs m_tracks;
};

const std::string kOk = "        ===> File OK! ";

std::string TargetName(const testing::TestParamInfo<Expected>& info)
{
    static const char* const names[] = {"Mp3", "Ogg", "Wav", "Mp3ToMp3"};
    return names[static_cast<int>(info.param.target)];
}
} // namespace

TEST_P(ConvertingDlg, ConvertsTheBatchThenClosesByItself)
{
    const Expected& expected = GetParam();
    {
        const auto dialog = Dialog();
        EXPECT_EQ(dialog->windowTitle(), QString::fromLatin1(expected.title));
        EXPECT_EQ(m_help.Get(), expected.helpContext);
        const auto* filter = dialog->findChild<QComboBox*>(QStringLiteral("filter"));
        if (expected.target == ConversionTarget::Mp3ToMp3)
            EXPECT_EQ(filter, nullptr);
        else
        {
            ASSERT_NE(filter, nullptr);
            EXPECT_EQ(filter->count(), 4);
            EXPECT_EQ(filter->currentText(), QStringLiteral("All formats"));
        }
        Button(*dialog, "settings")->click();
        EXPECT_EQ(m_settingsOpened, 1);

        ClickInModalDialog(QStringLiteral("start"));
        dialog->exec();

        // Each taken source: for WAV output its path, else the output's, then the verdict.
        std::vector<std::pair<std::string, std::uint32_t>> lines;
        const std::int32_t wanted[] = {expected.fromWav, expected.fromMp3, expected.fromOgg};
        for (std::size_t i = 0; i < m_tracks.size(); ++i)
        {
            if (wanted[i] == kConvertNone)
                continue;
            const std::string& source = m_tracks[i]->path;
            const std::string output = Out(fs::path(source).stem().string() + expected.extension);
            lines.emplace_back(expected.target == ConversionTarget::Wav ? source : output,
                               kLineBlack);
            lines.emplace_back(kOk, kLineBlack);
            EXPECT_TRUE(fs::exists(output)) << output;
        }
        EXPECT_EQ(ResultLines(*dialog), lines);
        EXPECT_TRUE(m_presenter.messages.empty()) << "nothing failed, nothing to tell";
    }
    EXPECT_EQ(m_help.Get(), CHelpContext::kMain);
    const std::int32_t converted[] = {expected.fromWav, expected.fromMp3, expected.fromOgg};
    for (std::size_t i = 0; i < m_tracks.size(); ++i)
    {
        EXPECT_EQ(m_tracks[i]->convertStatus, converted[i]) << m_tracks[i]->path;
        EXPECT_EQ(m_tracks[i]->checkStatus, converted[i] ? kCheckSound : kCheckNone)
            << m_tracks[i]->path;
    }
}

TEST_P(ConvertingDlg, FailedFilesAreToldOnceTheRunEnds)
{
    if (GetParam().target != ConversionTarget::Mp3)
        GTEST_SKIP() << "only MP3 output may sit beside its sources";
    // A source in the output folder would be replaced by its own output.
    m_records.clear();
    m_tracks.clear();
    Track(WriteTestMp3(Out("d.mp3"), 0.3));
    Track(WriteTestWave(In("a.wav"), 0.3));
    const auto dialog = Dialog();
    ClickInModalDialog(QStringLiteral("start"));
    dialog->exec();
    ASSERT_EQ(m_presenter.messages.size(), 1u);
    const auto& [text, icon] = m_presenter.messages.front();
    EXPECT_EQ(icon, MessageIcon::Information);
    EXPECT_NE(text.find("1 file(s) could not be converted:"), std::string::npos) << text;
    EXPECT_NE(text.find(Out("d.mp3") + ": not converted: the output would replace a source file"),
              std::string::npos)
        << text;
    EXPECT_EQ(m_tracks[0]->convertStatus, kConvertFailed);
    EXPECT_EQ(m_tracks[1]->convertStatus, kConvertWavToMp3);
}

TEST_P(ConvertingDlg, DecliningTheOverwriteKeepsTheFileAndSkipsTheTrack)
{
    const std::string existing = Out(std::string("b") + GetParam().extension);
    WriteFileBytes(existing, {'k', 'e', 'e', 'p'});
    const auto dialog = Dialog();
    m_presenter.answer = HostAnswer::No;
    bool buttonsOffWhileRunning = false;
    m_presenter.onAsk = [&]
    {
        buttonsOffWhileRunning = dialog->IsRunning() && !Button(*dialog, "start")->isEnabled() &&
                                 !Button(*dialog, "settings")->isEnabled();
    };
    ClickInModalDialog(QStringLiteral("start"));
    dialog->exec();

    EXPECT_EQ(m_presenter.questions,
              std::vector<std::string>{strings::Fill(strings::kOverwriteQuestion, existing)});
    EXPECT_TRUE(buttonsOffWhileRunning);
    EXPECT_EQ(ReadFileBytes(existing), (std::vector<std::uint8_t>{'k', 'e', 'e', 'p'}));
    EXPECT_EQ(m_tracks[1]->checkStatus, kCheckNone);
    EXPECT_EQ(m_tracks[1]->convertStatus, kConvertNone);
    for (const auto& [text, colour] : ResultLines(*dialog))
        EXPECT_EQ(text.find("b."), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(Targets, ConvertingDlg, testing::ValuesIn(kExpected), TargetName);

// The dialogs that check the output folder against the sources' folders.
class ConvertingDlgSameFolder : public ConvertingDlg
{
};

TEST_P(ConvertingDlgSameFolder, AnOutputFolderHoldingASourceBlocksStart)
{
    m_settings.SetTrackDir(In(""));
    const auto dialog = Dialog();
    dialog->show();
    Button(*dialog, "start")->click();

    ASSERT_EQ(m_presenter.messages.size(), 1u);
    EXPECT_EQ(m_presenter.messages[0].first, strings::kSameFolder);
    EXPECT_EQ(m_presenter.messages[0].second, MessageIcon::Exclamation);
    EXPECT_FALSE(dialog->IsRunning());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(Button(*dialog, "start")->isEnabled());
    EXPECT_TRUE(Button(*dialog, "settings")->isEnabled());

    // Idle, the close box closes the dialog like Cancel does.
    EXPECT_TRUE(dialog->close());
    EXPECT_FALSE(dialog->isVisible());
    for (const TrackInfo* track : m_tracks)
        EXPECT_EQ(track->convertStatus, kConvertNone);
}

INSTANTIATE_TEST_SUITE_P(Targets, ConvertingDlgSameFolder,
                         testing::Values(kExpected[1], kExpected[2], kExpected[3]), TargetName);
