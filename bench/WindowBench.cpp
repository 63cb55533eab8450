// tw-bench-window: the window at collection scale, driven as a user would.
//
//   tw-bench-window make DIR COUNT KILOBYTES [--links]
//       writes COUNT small MP3 files (hard links of one with --links)
//   tw-bench-window run SMALLDIR BIGDIR
//       in the main window: adds SMALLDIR's files with one job and with one
//       per core, analyses them, cancels a second analysis, empties the
//       list; then fills the working list with BIGDIR's files and times a
//       sort, a removal of 1,000 selected tracks, the refresh after a run
//       and scrolling. Prints one "name value unit" line per figure.
//
// Runs on any Qt platform: offscreen, or a real window under Xvfb.

#include "FrameFile.h"
#include "settings/QtSettingsStorage.h"
#include "settings/SettingsStore.h"
#include "tracks/Document.h"
#include "tracks/FolderListing.h"
#include "tracks/OrderedWork.h"
#include "ui/common/Commands.h"
#include "ui/common/FreedMemory.h"
#include "ui/common/HelpContext.h"
#include "ui/frame/MainFrame.h"
#include "ui/runs/DlgAddTracks.h"
#include "ui/views/ListSelectedTracksListView.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
// The resident memory of this process in MB, from /proc (0 elsewhere).
double ResidentMegabytes()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key)
    {
        if (key == "VmRSS:")
        {
            double kilobytes = 0;
            status >> kilobytes;
            return kilobytes / 1024.0;
        }
        status.ignore(1 << 16, '\n');
    }
    return 0;
}

void Report(const char* name, double value, const char* unit)
{
    std::printf("%s %.3f %s\n", name, value, unit);
    std::fflush(stdout);
}

// Lets the window paint and handle what is queued.
void Settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

// Seconds `action` takes, the window's painting after it included.
template <typename Action>
double Seconds(Action&& action)
{
    QElapsedTimer clock;
    clock.start();
    action();
    Settle();
    return static_cast<double>(clock.nsecsElapsed()) / 1e9;
}

int Make(const std::string& dir, int count, int kilobytes, bool links)
{
    // File systems limit the links to one file; a new original every so often.
    constexpr int kLinksPerFile = 50000;
    fs::create_directories(dir);
    std::string original;
    for (int i = 0; i < count; ++i)
    {
        char name[32];
        std::snprintf(name, sizeof name, "/t%06d.mp3", i);
        const std::string path = dir + name;
        if (original.empty() || (links && i % kLinksPerFile == 0))
        {
            if (!WriteFrameFile(path, static_cast<std::uint64_t>(kilobytes) * 1000, false))
                return 1;
            original = path;
        }
        else if (links)
            fs::create_hard_link(original, path);
        else
            fs::copy_file(original, path, fs::copy_options::overwrite_existing);
    }
    return 0;
}

class CWindowBench
{
public:
    CWindowBench()
        : m_storage(m_settingsDir.filePath(QStringLiteral("bench.ini")).toStdString()),
          m_settings(m_storage), m_doc(m_settings), m_frame(m_doc, m_settings, m_storage, m_help)
    {
        m_frame.resize(1200, 800);
        m_frame.show();
        Settle();
    }

    void Run(const std::string& smallDir, const std::string& bigDir)
    {
        const double start = ResidentMegabytes();
        Report("memory_at_start", start, "MB");
        const std::vector<std::string> small = ListTrackFiles(smallDir);
        // The first track shown loads what every later one shares (the
        // desktop's file types, icons, fonts): kept apart from what runs keep.
        Add({small.front()}, 1);
        EmptyList();
        Report("memory_after_first_track", ResidentMegabytes(), "MB");
        Report("add_small_1_job", Seconds([&] { Add(small, 1); }), "s");
        EmptyList();
        Report("memory_after_adding_and_emptying", ResidentMegabytes(), "MB");
        Report("add_small_all_cores", Seconds([&] { Add(small, CoreCount()); }), "s");
        Report("analysis_small", Seconds([&] { m_frame.Execute(kCmdAnalyze); }), "s");
        Report("memory_after_run", ResidentMegabytes(), "MB");
        CancelAnalysis();
        EmptyList();
        Report("tracks_after_emptying", m_doc.GetTrackCount(), "tracks");
        Report("memory_after_emptying", ResidentMegabytes(), "MB");
        Report("memory_growth", ResidentMegabytes() / start * 100 - 100, "%");
        // Once more: what stays now is kept for good, not per run.
        Add(small, CoreCount());
        m_frame.Execute(kCmdAnalyze);
        EmptyList();
        Report("memory_after_second_run", ResidentMegabytes(), "MB");

        const std::vector<std::string> big = ListTrackFiles(bigDir);
        const double before = ResidentMegabytes();
        Report("add_big_all_cores", Seconds([&] { Add(big, CoreCount()); }), "s");
        Report("tracks_in_big_list", m_doc.GetTrackCount(), "tracks");
        Report("memory_per_track",
               (ResidentMegabytes() - before) * 1024 * 1024 / static_cast<double>(big.size()),
               "bytes");
        BigListFigures();
    }

private:
    CListSelectedTracksListView& List() { return m_frame.WorkingList(); }

    void Add(const std::vector<std::string>& paths, unsigned jobs)
    {
        {
            CDlgAddTracks dialog(m_doc, paths, &m_frame, CMessagePresenter::MessageBoxes(), jobs);
            dialog.exec();
        }
        m_doc.FinishChange();
    }

    // Select all ("A") and Delete, as a user empties the list.
    void EmptyList()
    {
        List().setFocus();
        Key(Qt::Key_A);
        Key(Qt::Key_Delete);
        Settle();
    }

    void Key(int key)
    {
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QCoreApplication::sendEvent(&List(), &release);
    }

    // A second analysis of the same files, cancelled once its first
    // hundred files are shown.
    void CancelAnalysis()
    {
        for (TrackInfo* track : m_doc.GetTracks())
            track->checkStatus = kCheckNone;
        QElapsedTimer sinceCancel;
        double closing = -1;
        QTimer poll;
        QObject::connect(
            &poll, &QTimer::timeout,
            [&]
            {
                auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                auto* results =
                    dialog ? dialog->findChild<QAbstractItemView*>(QStringLiteral("results"))
                           : nullptr;
                if (!results || results->model()->rowCount() < 200)
                    return;
                poll.stop();
                QObject::connect(
                    dialog, &QDialog::finished,
                    [&] { closing = static_cast<double>(sinceCancel.nsecsElapsed()) / 1e9; });
                sinceCancel.start();
                dialog->findChild<QPushButton*>(QStringLiteral("cancel"))->click();
            });
        poll.start(5);
        m_frame.Execute(kCmdAnalyze);
        std::size_t checked = 0;
        for (const TrackInfo* track : m_doc.GetTracks())
            checked += track->checkStatus != kCheckNone;
        Report("cancel_to_close", closing, "s");
        Report("files_checked_before_cancel", static_cast<double>(checked), "files");
    }

    void BigListFigures()
    {
        Report("sort_by_file", Seconds([&] { Click(CListSelectedTracksListView::kColFile); }), "s");
        Report("sort_by_length", Seconds([&] { Click(CListSelectedTracksListView::kColLength); }),
               "s");
        const int tracks = m_doc.GetTrackCount();
        Report("remove_1000_selected", Seconds([&] { RemoveThousand(); }), "s");
        Report("tracks_removed", tracks - m_doc.GetTrackCount(), "tracks");
        Report("refresh_after_run",
               Seconds([&] { m_doc.UpdateViews(ViewScope::AllButFolderList); }), "s");
        QScrollBar& bar = *List().verticalScrollBar();
        constexpr int kSteps = 200;
        const double paging = Seconds(
            [&]
            {
                for (int i = 0; i < kSteps; ++i)
                {
                    bar.triggerAction(QAbstractSlider::SliderPageStepAdd);
                    List().viewport()->repaint();
                }
            });
        Report("scroll_page", paging / kSteps, "s");
        Report("scroll_to_end",
               Seconds(
                   [&]
                   {
                       List().scrollToBottom();
                       List().viewport()->repaint();
                   }),
               "s");
    }

    void Click(int column) { List().OnHeaderClick(column, Qt::LeftButton, Qt::NoModifier); }

    void RemoveThousand()
    {
        const QAbstractItemModel& model = *List().model();
        List().selectionModel()->select(QItemSelection(model.index(5000, 0), model.index(5999, 0)),
                                        QItemSelectionModel::ClearAndSelect |
                                            QItemSelectionModel::Rows);
        Key(Qt::Key_Delete);
    }

    QTemporaryDir m_settingsDir;
    CQtSettingsStorage m_storage;
    CSettingsStore m_settings;
    CTunewright20Doc m_doc;
    CHelpContext m_help;
    CMainFrame m_frame;
};
} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 4 && args[0] == "make")
        return Make(args[1], std::stoi(args[2]), std::stoi(args[3]),
                    args.size() > 4 && args[4] == "--links");
    if (args.size() == 3 && args[0] == "run")
    {
        KeepFreedMemoryReturnable(); // as the program's own main does
        QApplication app(argc, argv);
        CWindowBench bench;
        bench.Run(args[1], args[2]);
        return 0;
    }
    std::fprintf(stderr,
                 "usage: %s make DIR COUNT KILOBYTES [--links]\n"
                 "       %s run SMALLDIR BIGDIR\n",
                 argv[0], argv[0]);
    return 2;
}
