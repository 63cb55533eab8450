#include "settings/SettingsStore.h"
#include "support/AudioFiles.h"
#include "support/MemorySettingsStorage.h"
#include "support/RecordingHost.h"
#include "support/TempDir.h"
#include "support/TrackLists.h"
#include "support/WaitFor.h"
#include "support/WaveBuilder.h"
#include "tracks/AnalysisReport.h"
#include "tracks/Document.h"
#include "tracks/Strings.h"
#include "ui/common/HelpContext.h"
#include "ui/runs/ColorListBox.h"
#include "ui/runs/ConvertingDlg.h"
#include "ui/runs/DlgAddTracks.h"
#include "ui/runs/DlgMP3Analyzing.h"
#include "ui/runs/DlgRepairing.h"
#include "ui/runs/DocumentCommands.h"
#include "ui/runs/MessagePresenter.h"
#include "ui/runs/PathLabel.h"
#include "ui/runs/ProgressDlg.h"
#include "ui/runs/RunLayout.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QProgressBar>
#include <QPushButton>
#include <QTranslator>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace
{
using Line = std::pair<std::string, std::uint32_t>;
using Lines = std::vector<Line>;

// The lines of a run dialog's results list with their colours.
Lines ResultLines(const QDialog& dialog)
{
    const auto* list = dialog.findChild<CColorListBox*>(QStringLiteral("results"));
    Lines lines;
    for (int i = 0; list && i < list->count(); ++i)
        lines.emplace_back(list->LineText(i).toStdString(), list->LineColour(i));
    return lines;
}

// Once a modal dialog is up, clicks its button named `button`.
void ClickInModalDialog(const QString& button)
{
    const auto target = [button]
    {
        QWidget* modal = QApplication::activeModalWidget();
        return modal ? modal->findChild<QPushButton*>(button) : nullptr;
    };
    WhenReady(
        qApp, [target] { return target() != nullptr; }, [target] { target()->click(); });
}

// Answers questions with `answer` and notes what was asked and shown.
struct CRecordingPresenter
{
    HostAnswer answer = HostAnswer::Yes;
    std::function<void()> onAsk;
    std::vector<std::string> questions;
    std::vector<std::pair<std::string, MessageIcon>> messages;

    CMessagePresenter Presenter()
    {
        return {[this](QWidget*, const QString& question)
                {
                    questions.push_back(question.toStdString());
                    if (onAsk)
                        onAsk();
                    return answer;
                },
                [this](QWidget*, const QString& text, MessageIcon icon)
                { messages.emplace_back(text.toStdString(), icon); }};
    }
};

// A progress dialog with every control, whose work the test gives.
class CTestProgressDlg final : public CProgressDlg
{
public:
    explicit CTestProgressDlg(CMessagePresenter presenter = {}) : CProgressDlg(presenter, nullptr)
    {
        auto* layout = new QVBoxLayout(this);
        Controls controls;
        controls.results = results = AddResultsList(*layout, *this);
        controls.currentFile = currentFile = AddCurrentFile(*layout, *this);
        controls.caption = caption = AddCaptionedProgress(*layout, *this, controls.progress);
        progress = controls.progress;
        SetControls(controls);
    }

    using CProgressDlg::StartWork;

    CColorListBox* results;
    CPathLabel* currentFile;
    QGroupBox* caption;
    QProgressBar* progress;
};

// A worker that waits for the cancel.
void UntilCancelled(IRunHost& host)
{
    while (!host.IsCancelled())
        std::this_thread::sleep_for(1ms);
}

class RunDialogs : public testing::Test
{
protected:
    RunDialogs()
    {
        fs::create_directory(m_dir.Path() / "in");
        fs::create_directory(m_dir.Path() / "out");
        m_settings.SetTrackDir(Out(""));
    }

    std::string In(const std::string& name) const { return (m_dir.Path() / "in" / name).string(); }
    std::string Out(const std::string& name) const { return m_dir.File("out/" + name); }

    std::string Mp3(const std::string& name, bool sound, std::size_t frames = 20)
    {
        return WriteFramesMp3(m_dir.File(name), sound, frames);
    }

    CTempDir m_dir;
    CMemorySettingsStorage m_storage;
    CSettingsStore m_settings{m_storage};
    CTunewright20Doc m_doc{m_settings};
    CHelpContext m_help;
    CRecordingPresenter m_presenter;
};

// The commands of the main window, each running its dialog.
class DocumentCommands : public RunDialogs
{
protected:
    DocumentCommands()
    {
        m_doc.SetStopPlayback([this] { ++m_stops; });
        m_doc.AddObserver(&m_observer);
        m_commands.presenter = m_presenter.Presenter();
        m_commands.chooseReportFile = [this](QWidget*) { return m_chosen; };
        m_commands.chooseMoveFolder = [this](QWidget*, const QString& start)
        {
            m_folderStart = start;
            return m_chosen;
        };
    }

    CRecordingObserver m_observer;
    int m_stops = 0;
    QString m_chosen;
    QString m_folderStart;
    CDocumentCommands m_commands{m_doc, m_settings, m_help, nullptr, nullptr};
};

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

// Each conversion dialog over a WAV, an MP3 and an Ogg file.
class ConvertingDlg : public RunDialogs, public testing::WithParamInterface<Expected>
{
protected:
    ConvertingDlg()
    {
        m_list.Add(WriteTestWave(In("a.wav"), 0.3));
        m_list.Add(WriteTestMp3(In("b.mp3"), 0.3));
        m_list.Add(WriteTestOgg(In("c.ogg"), 0.3));
    }

    std::unique_ptr<CConvertingDlg> Dialog()
    {
        return MakeConvertingDlg(
            GetParam().target, m_list.Refs(),
            {m_settings, m_help, [this] { ++m_settingsOpened; }, m_presenter.Presenter()}, nullptr);
    }

    static QPushButton* Button(const QDialog& dialog, const char* name)
    {
        return dialog.findChild<QPushButton*>(QString::fromLatin1(name));
    }

    int m_settingsOpened = 0;
    CTrackList m_list;
};

std::string TargetName(const testing::TestParamInfo<Expected>& info)
{
    static const char* const names[] = {"Mp3", "Ogg", "Wav", "Mp3ToMp3"};
    return names[static_cast<int>(info.param.target)];
}
} // namespace

TEST(ProgressDlg, AWorkersReportsReachTheDialogGatheredAndInOrder)
{
    CTestProgressDlg dialog;
    int lineBatches = 0;
    QObject::connect(dialog.results->model(), &QAbstractItemModel::rowsInserted,
                     [&] { ++lineBatches; });
    std::vector<int> shown;
    QObject::connect(dialog.progress, &QProgressBar::valueChanged,
                     [&](int value) { shown.push_back(value); });
    dialog.show();
    constexpr int kLines = 10000;
    std::atomic<bool> reported = false;
    dialog.StartWork(
        [&](IRunHost& host)
        {
            host.SetCaption("Analyzing");
            for (int i = 1; i <= kLines; ++i)
            {
                host.SetCurrentFile("/music/" + std::to_string(i) + ".mp3");
                host.AddResultLine("line " + std::to_string(i), i % 2 ? kLineRed : kLineBlack);
                host.SetProgress(i * 100 / kLines);
            }
            reported = true;
        });
    // A window busy elsewhere while the worker reports: it then gets
    // everything in one piece, not one event per report.
    while (!reported)
        std::this_thread::sleep_for(1ms);
    ASSERT_TRUE(WaitFor([&] { return !dialog.isVisible(); }, 20000));

    EXPECT_EQ(lineBatches, 1);
    EXPECT_EQ(shown, std::vector<int>{100}) << "only the latest progress is shown";
    ASSERT_EQ(dialog.results->count(), kLines);
    for (int i = 0; i < kLines; ++i)
    {
        ASSERT_EQ(dialog.results->LineText(i), QStringLiteral("line %1").arg(i + 1));
        ASSERT_EQ(dialog.results->LineColour(i), (i + 1) % 2 ? kLineRed : kLineBlack);
    }
    EXPECT_EQ(dialog.currentFile->Path(), QStringLiteral("/music/10000.mp3"));
    EXPECT_EQ(dialog.caption->title(), QStringLiteral("Analyzing"));
    EXPECT_FALSE(dialog.IsRunning());
}

TEST(ProgressDlg, CancelButtonEscAndCloseBoxOnlyAskARunningWorkerToStop)
{
    CTestProgressDlg dialog;
    std::atomic<int> linesAfterCancel = 0;
    dialog.show();
    dialog.StartWork(
        [&](IRunHost& host)
        {
            UntilCancelled(host);
            host.AddResultLine("stopped", kLineRed);
            ++linesAfterCancel;
        });
    WaitFor([] { return false; }, 50);
    EXPECT_FALSE(dialog.close()) << "the close box leaves a running dialog open";
    ASSERT_TRUE(WaitFor([&] { return !dialog.isVisible(); }, 20000));
    EXPECT_EQ(ResultLines(dialog), (Lines{{"stopped", kLineRed}}));

    // Esc while running: the same.
    CTestProgressDlg second;
    second.show();
    second.StartWork(UntilCancelled);
    second.reject();
    EXPECT_TRUE(second.isVisible());
    EXPECT_TRUE(second.IsCancelled());
    ASSERT_TRUE(WaitFor([&] { return !second.isVisible(); }, 20000));
}

TEST(ProgressDlg, TheDialogIsNeverDestroyedBeforeTheWorkersLastCall)
{
    std::atomic<bool> lastCallMade = false;
    auto dialog = std::make_unique<CTestProgressDlg>();
    dialog->show();
    dialog->StartWork(
        [&](IRunHost& host)
        {
            while (!host.IsCancelled())
                host.SetProgress(1);
            // Calls after the dialog has begun to go are dropped, not delivered to freed memory.
            std::this_thread::sleep_for(100ms);
            for (int i = 0; i < 100; ++i)
            {
                host.AddResultLine("late", kLineBlack);
                host.SetProgress(i);
            }
            lastCallMade = true;
        });
    WaitFor([] { return false; }, 20);
    dialog.reset();
    EXPECT_TRUE(lastCallMade);
}

TEST(ProgressDlg, QuestionsAndMessagesBlockTheWorkerUntilAnswered)
{
    CRecordingPresenter presenter;
    presenter.answer = HostAnswer::No;
    CTestProgressDlg dialog(presenter.Presenter());
    int linesWhenAsked = -1;
    presenter.onAsk = [&] { linesWhenAsked = dialog.results->count(); };
    std::atomic<int> answer = -1;
    dialog.show();
    dialog.StartWork(
        [&](IRunHost& host)
        {
            host.AddResultLine("before", kLineBlack);
            answer = static_cast<int>(host.Ask("Replace?"));
            host.ShowMessage("Not enough disk free space", MessageIcon::Error);
            host.AddResultLine("after", kLineBlack);
        });
    ASSERT_TRUE(WaitFor([&] { return !dialog.isVisible(); }, 20000));
    EXPECT_EQ(answer, static_cast<int>(HostAnswer::No));
    EXPECT_EQ(presenter.questions, std::vector<std::string>{"Replace?"});
    ASSERT_EQ(presenter.messages.size(), 1u);
    EXPECT_EQ(presenter.messages[0].second, MessageIcon::Error);
    EXPECT_EQ(linesWhenAsked, 1) << "what came before a question is shown before it";
    EXPECT_EQ(ResultLines(dialog), (Lines{{"before", kLineBlack}, {"after", kLineBlack}}));
}

TEST(ProgressDlg, AQuestionPendingWhileTheDialogGoesIsAnsweredCancel)
{
    CRecordingPresenter presenter;
    std::atomic<int> answer = -1;
    std::atomic<bool> asking = false;
    auto dialog = std::make_unique<CTestProgressDlg>(presenter.Presenter());
    dialog->StartWork(
        [&](IRunHost& host)
        {
            asking = true;
            answer = static_cast<int>(host.Ask("Replace?"));
            host.ShowMessage("gone", MessageIcon::Information);
        });
    while (!asking)
        std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(20ms);
    // The question was never delivered: no event loop ran. Dropping the
    // dialog must neither wait forever nor show it.
    dialog.reset();
    EXPECT_EQ(answer, static_cast<int>(HostAnswer::Cancel));
    EXPECT_TRUE(presenter.questions.empty());
    EXPECT_TRUE(presenter.messages.empty());
}

TEST(ColorListBox, BlackLinesFollowThePaletteColouredLinesTheirColourOrItsInverse)
{
    QPalette palette;
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, QColor(10, 20, 30));
    palette.setColor(QPalette::Highlight, Qt::blue);
    palette.setColor(QPalette::HighlightedText, Qt::yellow);
    palette.setColor(QPalette::Disabled, QPalette::Text, Qt::gray);

    EXPECT_EQ(CColorListBox::TextColour(kLineBlack, false, true, palette), QColor(10, 20, 30));
    EXPECT_EQ(CColorListBox::TextColour(kLineBlack, true, true, palette), QColor(Qt::yellow));
    EXPECT_EQ(CColorListBox::FillColour(kLineBlack, true, palette), QColor(Qt::blue));
    EXPECT_EQ(CColorListBox::TextColour(kLineRed, false, true, palette), QColor(255, 0, 0));
    EXPECT_EQ(CColorListBox::TextColour(kLineRed, true, true, palette), QColor(0, 255, 255));
    EXPECT_EQ(CColorListBox::FillColour(kLineRed, true, palette), QColor(255, 0, 0));
    EXPECT_EQ(CColorListBox::FillColour(0x123456, false, palette), QColor(Qt::white));
    EXPECT_EQ(CColorListBox::TextColour(0x123456, false, false, palette), QColor(Qt::gray));
    EXPECT_EQ(CColorListBox::TextColour(kLineBlack, false, false, palette), QColor(Qt::gray));
}

TEST(ColorListBox, DrawsASelectedLineFilledWithItsColourAndKeepsTheLastLineInView)
{
    CColorListBox list;
    list.resize(300, 120);
    list.show();
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(list.AddLine(QStringLiteral("line %1").arg(i), i == 39 ? kLineRed : kLineBlack),
                  i);
    EXPECT_TRUE(list.viewport()->rect().contains(list.visualRect(list.model()->index(39, 0))))
        << "the last line is scrolled into view";

    list.setCurrentIndex(list.model()->index(39, 0));
    const QRect red = list.visualRect(list.model()->index(39, 0));
    const QImage image = list.viewport()->grab().toImage();
    const QPoint rightEdge(red.right() - 2, red.center().y());
    EXPECT_EQ(QColor(image.pixel(rightEdge)), QColor(255, 0, 0));
    const QRect black = list.visualRect(list.model()->index(38, 0));
    EXPECT_EQ(QColor(image.pixel(black.right() - 2, black.center().y())),
              list.palette().color(QPalette::Base));
}

namespace
{
// Stands for a translation file: upper-cases every text it knows.
class CShoutingTranslator final : public QTranslator
{
public:
    QString translate(const char*, const char* source, const char*, int) const override
    {
        const QString text = QString::fromUtf8(source);
        if (!text.contains(QStringLiteral("overwrite")))
            return {};
        return text.toUpper().replace(QStringLiteral("%S"), QStringLiteral("%s"));
    }
    bool isEmpty() const override { return false; }
};
} // namespace

TEST(CoreText, FilledInTextsAreTranslatedByTheirForm)
{
    CShoutingTranslator translator;
    QCoreApplication::installTranslator(&translator);
    EXPECT_EQ(CoreText("The file \n/m/a.mp3\nalready exists, should it overwrite ?"),
              QStringLiteral("THE FILE \n/m/a.mp3\nALREADY EXISTS, SHOULD IT OVERWRITE ?"));
    EXPECT_EQ(CoreText("Aborted at user request!"), QStringLiteral("Aborted at user request!"));
    QCoreApplication::removeTranslator(&translator);
}

TEST_F(RunDialogs, CancellingAddTracksKeepsWhatWasAdded)
{
    // MP3s without a length header are read to their end, which keeps the
    // work going long after the cancel even on a busy machine.
    const std::string first = Mp3("0.mp3", true, 20000);
    std::vector<std::string> paths{first};
    for (int i = 1; i < 2000; ++i)
    {
        paths.push_back(m_dir.File(std::to_string(i) + ".mp3"));
        std::filesystem::create_hard_link(first, paths.back());
    }
    CDlgAddTracks dialog(m_doc, paths);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Read Files Information"));
    auto* current = dialog.findChild<CPathLabel*>(QStringLiteral("currentFile"));
    // Esc and the close box only ask to stop, once the second file is in hand.
    WhenReady(
        &dialog,
        [&] {
            return !current->Path().isEmpty() &&
                   current->Path() != QString::fromStdString(paths[0]);
        },
        [&]
        {
            dialog.reject();
            dialog.close();
            EXPECT_TRUE(dialog.isVisible());
        });
    dialog.exec();

    const std::vector<std::string> added = TrackPaths(m_doc.GetTracks());
    ASSERT_GE(added.size(), 1u);
    EXPECT_LT(added.size(), paths.size());
    EXPECT_EQ(added, std::vector<std::string>(paths.begin(), paths.begin() + added.size()))
        << "what was read before the cancel stays, in order";
}

TEST_F(RunDialogs, AnalysisShowsEachMp3AndItsVerdictThenClosesByItselfRepairStaysOpen)
{
    const std::string good = Mp3("good.mp3", true), bad = Mp3("bad.mp3", false);
    const std::string wave = WriteSilentWave(m_dir.File("w.wav"), 500);
    CRecordingHost adding;
    m_doc.AddTracks({good, wave, bad}, adding);
    ASSERT_EQ(m_doc.GetTrackCount(), 3);
    {
        CDlgMP3Analyzing dialog(m_doc.GetTracks(), m_help, nullptr, &m_settings);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Analyze MP3 Files"));
        EXPECT_EQ(m_help.Get(), CHelpContext::kAnalyzing);
        // The deep check is off unless chosen, and the choice is kept.
        auto* decode = dialog.findChild<QCheckBox*>(QStringLiteral("decodeCheck"));
        ASSERT_NE(decode, nullptr);
        EXPECT_FALSE(decode->isChecked());
        decode->setChecked(true);
        EXPECT_TRUE(m_settings.GetDecodeCheck());
        dialog.exec();

        EXPECT_EQ(dialog.findChild<QGroupBox*>(QStringLiteral("caption"))->title(),
                  QStringLiteral("Analyzing"));
        const Lines lines = ResultLines(dialog);
        ASSERT_GE(lines.size(), 5u);
        EXPECT_EQ(Lines(lines.begin(), lines.begin() + 4), (Lines{{good, kLineBlack},
                                                                  {kOkLine, kLineBlack},
                                                                  {bad, kLineRed},
                                                                  {kCorruptLine, kLineRed}}));
        EXPECT_EQ(lines[4].first.substr(0, 15), "        intact ") << "where and how much";
        EXPECT_TRUE(dialog.findChild<CPathLabel*>(QStringLiteral("currentFile"))->Path().isEmpty());
    }
    EXPECT_EQ(m_help.Get(), CHelpContext::kMain);
    const TrackRefs tracks = m_doc.GetTracks();
    EXPECT_EQ(tracks[0]->checkStatus, kCheckSound);
    EXPECT_EQ(tracks[1]->checkStatus, kCheckNone);
    EXPECT_EQ(tracks[2]->checkStatus, kCheckCorrupt);

    // Repair takes the corrupt file, says what changed and stays open until closed.
    CDlgRepairing dialog(tracks, {});
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Repair Corrupt Files"));
    auto* button = dialog.findChild<QPushButton*>(QStringLiteral("cancel"));
    WhenReady(
        &dialog, [&] { return button->text() == QStringLiteral("Close"); },
        [&] { button->click(); });
    dialog.exec();

    EXPECT_EQ(ResultLines(dialog),
              (Lines{{bad, kLineBlack},
                     {"        repaired: 1 stretch of junk removed (420 bytes), Info "
                      "frame added, 0:00.03 of audio lost",
                      kLineBlack}}));
    EXPECT_EQ(tracks[2]->checkStatus, kCheckSound);
}

TEST_F(RunDialogs, CancelAmongThousandsOfSmallFilesStopsAtTheNextFile)
{
    // Small files go by faster than a window could show each one: the
    // cancel must still reach the worker at once.
    CTrackList list;
    const std::string first = list.Add(Mp3("0.mp3", true, 150)).path;
    for (int i = 1; i < 5000; ++i)
        std::filesystem::create_hard_link(first,
                                          list.Add(m_dir.File(std::to_string(i) + ".mp3")).path);
    const TrackRefs tracks = list.Refs();
    const auto checkedSoFar = [&]
    {
        // Read while the worker writes them, as single aligned words.
        return std::count_if(tracks.begin(), tracks.end(),
                             [](TrackInfo* track)
                             { return std::atomic_ref(track->checkStatus).load() != kCheckNone; });
    };

    CDlgMP3Analyzing dialog(tracks, m_help);
    std::ptrdiff_t checkedAtCancel = -1;
    WhenReady(
        &dialog, [&] { return !ResultLines(dialog).empty(); },
        [&]
        {
            dialog.close(); // only asks to stop
            EXPECT_TRUE(dialog.isVisible());
            checkedAtCancel = checkedSoFar();
        });
    dialog.exec();

    const std::ptrdiff_t checked = checkedSoFar();
    ASSERT_GE(checkedAtCancel, 1);
    EXPECT_LE(checked - checkedAtCancel, 2) << "the file in hand is finished, no further one";
    for (std::size_t i = 0; i < tracks.size(); ++i)
        ASSERT_EQ(tracks[i]->checkStatus, i < std::size_t(checked) ? kCheckSound : kCheckNone) << i;
    const auto lines = ResultLines(dialog);
    ASSERT_EQ(lines.size(), 2 * std::size_t(checked) + 1) << "every checked file is reported";
    EXPECT_EQ(lines[lines.size() - 3].first, tracks[std::size_t(checked) - 1]->path);
    EXPECT_EQ(lines.back(), (Line{"Aborted at user request!", kLineRed}));
}

TEST_F(DocumentCommands, AddAnalyseMoveTheCorruptFilesAwayAndSaveTheResults)
{
    const std::string good = Mp3("good.mp3", true), bad = Mp3("bad.mp3", false);
    const std::string wave = WriteSilentWave(m_dir.File("w.wav"), 500);
    m_commands.AddTracks({good, bad, wave, good});
    EXPECT_EQ(TrackPaths(m_doc.GetTracks()), (std::vector<std::string>{good, bad, wave}));
    EXPECT_EQ(m_doc.GetMp3Count(), 2);
    EXPECT_EQ(m_stops, 1);
    EXPECT_EQ(m_observer.scopes, std::vector<ViewScope>{ViewScope::AllButFolderList});

    m_commands.Analyze(m_doc.GetTracks());
    EXPECT_EQ(m_stops, 2);
    EXPECT_EQ(m_observer.scopes.size(), 2u);
    ASSERT_TRUE(m_doc.HasCorruptTracks());

    // A cancelled folder choice moves nothing, but still updates the views.
    m_doc.SetCurrentFolder(m_dir.Path().string());
    m_observer.scopes.clear();
    m_commands.MoveCorruptFiles();
    EXPECT_EQ(m_folderStart, QString::fromStdString(m_dir.Path().string()));
    EXPECT_EQ(m_doc.GetTrackCount(), 3);
    EXPECT_EQ(m_observer.scopes, std::vector<ViewScope>{ViewScope::AllButFolderList});

    fs::create_directory(m_dir.Path() / "corrupt");
    m_chosen = QString::fromStdString(m_dir.File("corrupt"));
    m_commands.MoveCorruptFiles();
    EXPECT_EQ(m_stops, 4);
    EXPECT_EQ(TrackPaths(m_doc.GetTracks()), (std::vector<std::string>{good, wave}));
    EXPECT_FALSE(fs::exists(bad));
    EXPECT_TRUE(fs::exists(m_dir.Path() / "corrupt" / "bad.mp3"));
    EXPECT_TRUE(m_presenter.messages.empty());

    // The analysis results go to the chosen text file.
    m_chosen.clear();
    m_commands.SaveAnalysisResults(); // cancelled: nothing written
    EXPECT_EQ(m_stops, 5);

    m_chosen = QString::fromStdString(m_dir.File("report.TXT"));
    m_commands.SaveAnalysisResults();
    const std::vector<std::uint8_t> written = ReadFileBytes(m_dir.File("report.TXT"));
    EXPECT_EQ(std::string(written.begin(), written.end()), RenderAnalysisReport(m_doc.GetTracks()));

    m_chosen = QString::fromStdString(m_dir.File("report.log"));
    m_commands.SaveAnalysisResults();
    EXPECT_FALSE(fs::exists(m_dir.File("report.log")));
    ASSERT_EQ(m_presenter.messages.size(), 1u);
    EXPECT_EQ(m_presenter.messages[0].second, MessageIcon::Exclamation);
}

TEST_F(DocumentCommands, ConvertRunsTheTargetsDialogOverTheGivenTracks)
{
    m_commands.AddTracks(
        {WriteTestWave(m_dir.File("a.wav"), 0.2), WriteTestWave(m_dir.File("b.wav"), 0.2)});
    m_observer.scopes.clear();
    ClickInModalDialog(QStringLiteral("start"));
    m_commands.Convert(ConversionTarget::Ogg, m_doc.GetTracksAt({1}));

    EXPECT_EQ(m_stops, 2);
    EXPECT_EQ(m_observer.scopes, std::vector<ViewScope>{ViewScope::AllButFolderList});
    EXPECT_EQ(m_doc.GetTracks()[0]->convertStatus, kConvertNone);
    EXPECT_EQ(m_doc.GetTracks()[1]->convertStatus, kConvertWavToOgg);
    EXPECT_TRUE(fs::exists(m_dir.File("out/b.ogg")));
    EXPECT_FALSE(fs::exists(m_dir.File("out/a.ogg")));
    EXPECT_EQ(m_help.Get(), CHelpContext::kMain);
}

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
        Lines lines;
        const std::int32_t converted[] = {expected.fromWav, expected.fromMp3, expected.fromOgg};
        for (std::size_t i = 0; i < m_list.Size(); ++i)
        {
            EXPECT_EQ(m_list[i].convertStatus, converted[i]) << m_list[i].path;
            EXPECT_EQ(m_list[i].checkStatus, converted[i] ? kCheckSound : kCheckNone) << i;
            if (converted[i] == kConvertNone)
                continue;
            const std::string& source = m_list[i].path;
            const std::string output = Out(fs::path(source).stem().string() + expected.extension);
            lines.emplace_back(expected.target == ConversionTarget::Wav ? source : output,
                               kLineBlack);
            lines.emplace_back(kOkLine, kLineBlack);
            EXPECT_TRUE(fs::exists(output)) << output;
        }
        EXPECT_EQ(ResultLines(*dialog), lines);
        EXPECT_TRUE(m_presenter.messages.empty()) << "nothing failed, nothing to tell";
    }
    EXPECT_EQ(m_help.Get(), CHelpContext::kMain);
}

TEST_P(ConvertingDlg, AnOutputFolderHoldingASourceBlocksStart)
{
    if (GetParam().target == ConversionTarget::Mp3)
        GTEST_SKIP() << "only MP3 output may sit beside its sources";
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
    for (const TrackInfo* track : m_list.Refs())
        EXPECT_EQ(track->convertStatus, kConvertNone);
}

TEST_P(ConvertingDlg, FailedFilesAreToldOnceTheRunEnds)
{
    if (GetParam().target != ConversionTarget::Mp3)
        GTEST_SKIP() << "only MP3 output may sit beside its sources";
    // A source in the output folder would be replaced by its own output.
    m_list.Clear();
    m_list.Add(WriteTestMp3(Out("d.mp3"), 0.3));
    m_list.Add(WriteTestWave(In("a.wav"), 0.3));
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
    EXPECT_EQ(m_list[0].convertStatus, kConvertFailed);
    EXPECT_EQ(m_list[1].convertStatus, kConvertWavToMp3);
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
    EXPECT_EQ(m_list[1].checkStatus, kCheckNone);
    EXPECT_EQ(m_list[1].convertStatus, kConvertNone);
    for (const auto& [text, colour] : ResultLines(*dialog))
        EXPECT_EQ(text.find("b."), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(Targets, ConvertingDlg, testing::ValuesIn(kExpected), TargetName);
