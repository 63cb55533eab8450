#include "ui/runs/ProgressDlg.h"

#include "RunTestSupport.h"
#include "ui/runs/ColorListBox.h"
#include "ui/runs/PathLabel.h"
#include "ui/runs/RunLayout.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QImage>
#include <QProgressBar>
#include <QTranslator>
#include <QVBoxLayout>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using namespace std::chrono_literals;

namespace
{
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

std::vector<std::string> Texts(const CColorListBox& list)
{
    std::vector<std::string> texts;
    for (int i = 0; i < list.count(); ++i)
        texts.push_back(list.LineText(i).toStdString());
    return texts;
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
    ASSERT_TRUE(SpinUntil([&] { return !dialog.isVisible(); }));

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
            while (!host.IsCancelled())
                std::this_thread::sleep_for(1ms);
            host.AddResultLine("stopped", kLineRed);
            ++linesAfterCancel;
        });
    SpinUntil([] { return false; }, 50);
    EXPECT_FALSE(dialog.close()) << "the close box leaves a running dialog open";
    ASSERT_TRUE(SpinUntil([&] { return !dialog.isVisible(); }));
    EXPECT_EQ(Texts(*dialog.results), std::vector<std::string>{"stopped"});

    // Esc while running: the same.
    CTestProgressDlg second;
    second.show();
    second.StartWork(
        [](IRunHost& host)
        {
            while (!host.IsCancelled())
                std::this_thread::sleep_for(1ms);
        });
    second.reject();
    EXPECT_TRUE(second.isVisible());
    EXPECT_TRUE(second.IsCancelled());
    ASSERT_TRUE(SpinUntil([&] { return !second.isVisible(); }));
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
    SpinUntil([] { return false; }, 20);
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
    ASSERT_TRUE(SpinUntil([&] { return !dialog.isVisible(); }));
    EXPECT_EQ(answer, static_cast<int>(HostAnswer::No));
    EXPECT_EQ(presenter.questions, std::vector<std::string>{"Replace?"});
    ASSERT_EQ(presenter.messages.size(), 1u);
    EXPECT_EQ(presenter.messages[0].second, MessageIcon::Error);
    EXPECT_EQ(linesWhenAsked, 1) << "what came before a question is shown before it";
    EXPECT_EQ(Texts(*dialog.results), (std::vector<std::string>{"before", "after"}));
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
