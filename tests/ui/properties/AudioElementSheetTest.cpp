#include "ui/properties/AudioElementSheet.h"

#include "settings/SettingsStore.h"
#include "support/AudioFiles.h"
#include "support/FakeAudioDevice.h"
#include "support/FindChild.h"
#include "support/MemorySettingsStorage.h"
#include "support/RecordingHost.h"
#include "support/TempDir.h"
#include "support/TrackLists.h"
#include "support/WaitFor.h"
#include "support/WaveBuilder.h"
#include "tracks/AudioTrack.h"
#include "ui/common/UiText.h"
#include "ui/properties/PropertyTexts.h"
#include "ui/properties/TagEditing.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace
{
namespace fs = std::filesystem;

// Hands every call on to one fake device that outlives the players, so a
// test sees what all of a sheet's players did, in order.
class CSharedDevice final : public IWaveOutDevice
{
public:
    explicit CSharedDevice(CFakeAudioDevice& target) : m_target(target) {}
    bool Open(const PcmFormat& format, IWaveOutListener& listener) override
    {
        return m_target.Open(format, listener);
    }
    bool IsOpen() const override { return m_target.IsOpen(); }
    void Queue(const std::uint8_t* data, std::size_t bytes) override
    {
        m_target.Queue(data, bytes);
    }
    void Pause() override { m_target.Pause(); }
    void Restart() override { m_target.Restart(); }
    void Reset() override { m_target.Reset(); }
    void Close() override { m_target.Close(); }

private:
    CFakeAudioDevice& m_target;
};

struct FileTags
{
    std::string title;
    std::string artist;
    std::string album;
};

FileTags ReadTags(const std::string& path)
{
    CAudioTrack track(path);
    const CAudioFile* file = track.GetAudioFile();
    return file ? FileTags{file->GetTitle(), file->GetArtist(), file->GetAlbum()} : FileTags{};
}

// A working list of real files and a sheet over some of them, shown without
// a modal loop and driven through its widgets.
class AudioElementSheetTest : public ::testing::Test
{
protected:
    ~AudioElementSheetTest() override
    {
        m_sheet.reset();
        for (const auto& entry : fs::directory_iterator(m_dir.Path()))
            fs::permissions(entry.path(), fs::perms::owner_all);
    }

    void Add(const std::vector<std::string>& paths)
    {
        CRecordingHost host;
        m_doc.AddTracks(paths, host);
        ASSERT_EQ(m_doc.GetTrackCount(), static_cast<int>(paths.size()));
    }
    void Open(const std::vector<std::size_t>& positions)
    {
        AudioElementSheetServices services;
        services.createDevice = [this]
        {
            ++m_devicesMade;
            return std::make_unique<CSharedDevice>(m_device);
        };
        services.presenter.show = [this](QWidget*, const QString& text, MessageIcon)
        { m_messages.push_back(text); };
        m_sheet = std::make_unique<CAudioElementSheet>(m_doc.GetTracksAt(positions), m_help,
                                                       std::move(services));
        m_sheet->show();
    }

    template <typename T>
    T* Find(const char* name) const
    {
        return FindChild<T>(*m_sheet, name);
    }
    QString Text(const char* name) const
    {
        if (auto* edit = m_sheet->findChild<QLineEdit*>(QString::fromLatin1(name)))
            return edit->text();
        return Find<QLabel>(name)->text();
    }
    void SetTags(const QString& title, const QString& artist = {}, const QString& album = {})
    {
        Find<QLineEdit>("title")->setText(title);
        Find<QLineEdit>("artist")->setText(artist);
        Find<QLineEdit>("album")->setText(album);
    }
    QPushButton* Button(QDialogButtonBox::StandardButton which) const
    {
        return m_sheet->findChild<QDialogButtonBox*>()->button(which);
    }
    void ShowPage(int index) { m_sheet->findChild<QTabWidget*>()->setCurrentIndex(index); }
    const TrackInfo& Record(std::size_t position) const
    {
        return *m_doc.GetTracksAt({position}).at(0);
    }

    CTempDir m_dir;
    CMemorySettingsStorage m_storage;
    CSettingsStore m_settings{m_storage};
    CTunewright20Doc m_doc{m_settings};
    CHelpContext m_help;
    CFakeAudioDevice m_device;
    int m_devicesMade = 0;
    std::vector<QString> m_messages;
    std::unique_ptr<CAudioElementSheet> m_sheet;
};

TEST(PropertyTexts, PositionsAndOddValues)
{
    EXPECT_EQ(LengthText(605000), QStringLiteral("10:05"));
    EXPECT_EQ(LengthText(-20), QStringLiteral("0:00"));
    EXPECT_EQ(PositionText(61500), QStringLiteral("1:01 "));
    EXPECT_EQ(FormatText(3), QString());
}

TEST_F(AudioElementSheetTest, OneTrackShowsItsFileWithoutChangeButtonsUnderItsHelpTopic)
{
    const std::string path = WriteTestMp3(m_dir.File("a.mp3"), 1.0, "Song", "Band", "Record");
    Add({path});
    Open({0});

    EXPECT_EQ(m_help.Get(), CHelpContext::kEditTags);
    EXPECT_EQ(m_sheet->windowTitle(), QStringLiteral("Properties of: Song"));
    EXPECT_EQ(m_sheet->findChild<QTabWidget*>()->currentIndex(), 0);
    EXPECT_EQ(Text("file"), ToQString(path));
    EXPECT_FALSE(Find<QLineEdit>("file")->isEnabled());
    EXPECT_EQ(Find<QLineEdit>("file")->toolTip(), ToQString(path));
    EXPECT_EQ(Text("title") + "|" + Text("artist") + "|" + Text("album"), "Song|Band|Record");
    EXPECT_TRUE(Find<QLineEdit>("title")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>("changeNext")->isHidden());
    EXPECT_TRUE(Find<QPushButton>("changePrevious")->isHidden());
    EXPECT_FALSE(Button(QDialogButtonBox::Apply)->isEnabled());
    Find<QLineEdit>("artist")->setText("Other");
    EXPECT_TRUE(Button(QDialogButtonBox::Apply)->isEnabled());

    Button(QDialogButtonBox::Cancel)->click();
    m_sheet.reset();
    EXPECT_EQ(m_help.Get(), CHelpContext::kMain);
    EXPECT_EQ(ReadTags(path).artist, "Band");

    // Read only, the file cannot be edited and is not written.
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const std::vector<std::uint8_t> before = ReadFileBytes(path);
    Open({0});
    for (const char* field : {"title", "artist", "album"})
        EXPECT_FALSE(Find<QLineEdit>(field)->isEnabled()) << field;
    SetTags(QStringLiteral("Changed"), QStringLiteral("Changed"));
    Button(QDialogButtonBox::Ok)->click();

    EXPECT_EQ(m_sheet->result(), QDialog::Accepted);
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_EQ(Record(0).title, "Song");
    EXPECT_FALSE(m_sheet->SavedAny());
    EXPECT_TRUE(m_messages.empty());
}

// Each kind shows its length, rate and format; OK writes the tags into the
// file and the record, also when edited while the other page is shown.
TEST_F(AudioElementSheetTest, EveryKindShowsItsPropertiesAndOkWritesItsTags)
{
    struct Case
    {
        std::string path;
        const char* length;
        const char* rate;
        const char* format;
        const char* title;
    };
    const Case cases[] = {
        {WriteTestWave(m_dir.File("long.wav"), 61.5, 8000, 1), "1:01", "8000 Hz", "Wave", ""},
        {WriteTestMp3(m_dir.File("a.mp3"), 2.5, "M"), "0:02", "44100 Hz", "MPEG-1 Layer III", "M"},
        {WriteTestOgg(m_dir.File("a.ogg"), 2.5, "O"), "0:02", "44100 Hz", "OGG Vorbis", "O"},
    };
    Add({cases[0].path, cases[1].path, cases[2].path});
    for (std::size_t i = 0; i < std::size(cases); ++i)
    {
        const std::string& path = cases[i].path;
        Open({i});
        ShowPage(1);
        EXPECT_EQ(Text("length"), QLatin1String(cases[i].length)) << path;
        EXPECT_EQ(Text("samplingRate"), QLatin1String(cases[i].rate)) << path;
        EXPECT_EQ(Text("format"), QLatin1String(cases[i].format)) << path;
        EXPECT_EQ(Text("position"), QString()) << "empty until the first tick";
        // Without a title the caption names the file.
        const std::string named = *cases[i].title ? cases[i].title : path;
        EXPECT_EQ(m_sheet->windowTitle(), QStringLiteral("Properties of: ") + ToQString(named));

        const std::string title = "T\xC3\xADtulo " + std::to_string(i);
        SetTags(ToQString(title), QStringLiteral("Artist"), QStringLiteral("Album"));
        Button(QDialogButtonBox::Ok)->click();
        EXPECT_EQ(m_sheet->result(), QDialog::Accepted) << path;
        EXPECT_TRUE(m_sheet->SavedAny());
        const FileTags tags = ReadTags(path);
        const TrackInfo& record = Record(i);
        EXPECT_EQ(tags.title + "|" + tags.artist + "|" + tags.album, title + "|Artist|Album");
        EXPECT_EQ(record.title + "|" + record.artist + "|" + record.album, title + "|Artist|Album");
    }
    EXPECT_TRUE(m_messages.empty());
}

// Apply writes and stays; the last edit comes back from the history into
// the file, the record and the page; Cancel keeps what was applied.
TEST_F(AudioElementSheetTest, ApplyWritesAndStaysUndoPutsItBackCancelKeepsWhatWasApplied)
{
    const std::string path = WriteTestOgg(m_dir.File("undo.ogg"), 0.5, "Old");
    Add({path});
    Open({0});
    SetTags(QStringLiteral("New"));
    Button(QDialogButtonBox::Apply)->click();
    EXPECT_TRUE(m_sheet->isVisible());
    EXPECT_FALSE(Button(QDialogButtonBox::Apply)->isEnabled());
    ASSERT_EQ(ReadTags(path).title, "New");
    EXPECT_EQ(Record(0).title, "New");

    QPushButton* undo = nullptr;
    for (QPushButton* button : m_sheet->findChildren<QPushButton*>())
        if (button->text() == QStringLiteral("&Undo Last Change"))
            undo = button;
    ASSERT_NE(undo, nullptr);
    undo->click();
    EXPECT_EQ(ReadTags(path).title, "Old");
    EXPECT_EQ(Record(0).title, "Old");
    EXPECT_EQ(Text("title"), QStringLiteral("Old"));
    EXPECT_TRUE(m_messages.empty());
    undo->click();
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_TRUE(m_messages[0].contains(QStringLiteral("no tag edit of this file to undo")))
        << m_messages[0].toStdString();

    SetTags(QStringLiteral("First"));
    Button(QDialogButtonBox::Apply)->click();
    SetTags(QStringLiteral("Second"));
    Button(QDialogButtonBox::Cancel)->click();
    EXPECT_EQ(m_sheet->result(), QDialog::Rejected);
    EXPECT_EQ(ReadTags(path).title, "First");
    EXPECT_EQ(Record(0).title, "First");
    EXPECT_TRUE(m_sheet->SavedAny());
}

// A failed write names the file and keeps the record and the sheet.
TEST_F(AudioElementSheetTest, SeveralTracksAreWalkedWithChangeAndNextAndPrevious)
{
    const std::vector<std::string> paths = {WriteTestMp3(m_dir.File("a.mp3"), 0.5, "A"),
                                            WriteTestOgg(m_dir.File("b.ogg"), 0.5, "B"),
                                            WriteTestWave(m_dir.File("c.wav"), 0.5)};
    Add(paths);
    Open({0, 1, 2});
    auto* next = Find<QPushButton>("changeNext");
    auto* previous = Find<QPushButton>("changePrevious");
    EXPECT_FALSE(next->isHidden());
    EXPECT_FALSE(previous->isHidden());

    SetTags(QStringLiteral("A1"));
    next->click();
    EXPECT_EQ(m_sheet->CurrentIndex(), 1u);
    EXPECT_EQ(Text("file"), ToQString(paths[1]));
    EXPECT_EQ(Text("title"), QStringLiteral("B"));
    EXPECT_EQ(m_sheet->windowTitle(), QStringLiteral("Properties of: B"));
    EXPECT_EQ(ReadTags(paths[0]).title, "A1");
    EXPECT_EQ(Record(0).title, "A1");

    next->click();
    SetTags(QStringLiteral("C3"));
    next->click();
    EXPECT_EQ(m_sheet->CurrentIndex(), 2u) << "the last track stays";
    EXPECT_EQ(Text("title"), QStringLiteral("C3"));
    EXPECT_EQ(ReadTags(paths[2]).title, "C3");
    EXPECT_EQ(Record(2).title, "C3");

    previous->click();
    previous->click();
    SetTags(QStringLiteral("A2"));
    previous->click();
    EXPECT_EQ(m_sheet->CurrentIndex(), 0u) << "the first track stays";
    EXPECT_EQ(ReadTags(paths[0]).title, "A2");
    EXPECT_EQ(Record(0).title, "A2");
    EXPECT_TRUE(m_messages.empty());

    fs::remove(paths[0]);
    SetTags(QStringLiteral("New"));
    next->click();
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_TRUE(m_messages[0].contains(ToQString(paths[0]))) << m_messages[0].toStdString();
    EXPECT_EQ(m_sheet->CurrentIndex(), 0u);
    EXPECT_EQ(Record(0).title, "A2");

    Button(QDialogButtonBox::Ok)->click();
    EXPECT_EQ(m_messages.size(), 2u) << "one message per press";
    EXPECT_TRUE(m_sheet->isVisible());
    EXPECT_EQ(Record(0).title, "A2");
    EXPECT_FALSE(fs::exists(paths[0]));
}

// The position follows the player while the properties page is shown;
// saving releases the player first, and a new one plays from the start;
// closing the sheet ends playback.
TEST_F(AudioElementSheetTest, PositionFollowsThePlayerAndSavingReleasesItFirst)
{
    const std::string path = WriteTestWave(m_dir.File("a.wav"), 3.0);
    Add({path});
    Open({0});
    EXPECT_EQ(m_devicesMade, 1);
    ShowPage(1);
    auto* timer = Find<QTimer>("positionTimer");
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 1000);
    timer->setInterval(1); // the test need not wait whole seconds

    Find<QToolButton>("play")->click();
    ASSERT_TRUE(m_device.IsOpen());
    EXPECT_FALSE(m_device.paused);
    EXPECT_EQ(m_device.pending.size(), 15u);
    // The position is where decoding stands, 15 blocks of 8192 bytes ahead
    // of what was heard: 25 blocks of 44.1 kHz stereo are about 1.16 s.
    EXPECT_EQ(m_device.Complete(10), 10);
    EXPECT_TRUE(WaitFor([&] { return Text("position") == QStringLiteral("0:01 "); }))
        << Text("position").toStdString();
    m_device.Complete(20);
    EXPECT_TRUE(WaitFor([&] { return Text("position") == QStringLiteral("0:02 "); }))
        << Text("position").toStdString();

    Find<QToolButton>("stop")->click();
    EXPECT_TRUE(m_device.paused);
    ShowPage(0);
    EXPECT_FALSE(timer->isActive());
    Find<QToolButton>("play")->click();

    SetTags(QStringLiteral("While playing"));
    m_device.calls.clear();
    Button(QDialogButtonBox::Apply)->click();
    EXPECT_EQ(m_device.calls, (std::vector<std::string>{"pause", "close", "open"}));
    EXPECT_EQ(m_devicesMade, 2);
    EXPECT_EQ(ReadTags(path).title, "While playing");
    EXPECT_EQ(DecodeAll(path).size(), static_cast<std::size_t>(3 * 44100 * 4));
    ShowPage(1);
    Find<QToolButton>("play")->click();
    EXPECT_EQ(m_device.pending.size(), 15u) << "the new player plays from the start";

    Button(QDialogButtonBox::Cancel)->click();
    EXPECT_FALSE(m_device.IsOpen()) << "closing the sheet ends playback";
}

// The entry point runs the sheet modally; `act` works on it once it is up
// and must close it.
class TagEditingTest : public AudioElementSheetTest
{
protected:
    void Edit(const std::vector<std::size_t>& positions,
              const std::function<void(CAudioElementSheet&)>& act)
    {
        const auto sheet = []
        { return qobject_cast<CAudioElementSheet*>(QApplication::activeModalWidget()); };
        WhenReady(
            qApp, [&] { return sheet() != nullptr; }, [&] { act(*sheet()); });
        EditTracksTags(m_doc, positions, m_help, nullptr);
        EXPECT_EQ(m_help.Get(), CHelpContext::kMain);
    }
    static void Click(CAudioElementSheet& sheet, QDialogButtonBox::StandardButton which)
    {
        sheet.findChild<QDialogButtonBox*>()->button(which)->click();
    }
    static void SetTitle(CAudioElementSheet& sheet, const QString& title)
    {
        sheet.findChild<QLineEdit*>(QStringLiteral("title"))->setText(title);
    }
};

TEST_F(TagEditingTest, ViewsUpdateAfterOkOrASaveForOneTrackAndAlwaysForSeveral)
{
    const std::vector<std::string> paths = {WriteTestMp3(m_dir.File("a.mp3"), 0.5, "A"),
                                            WriteTestMp3(m_dir.File("b.mp3"), 0.5, "B")};
    Add(paths);
    CRecordingObserver views;
    m_doc.AddObserver(&views);
    const auto updates = [&]
    { return std::count(views.scopes.begin(), views.scopes.end(), ViewScope::AllButFolderList); };

    Edit({1}, [](CAudioElementSheet& sheet) { Click(sheet, QDialogButtonBox::Cancel); });
    EXPECT_EQ(updates(), 0);

    Edit({1},
         [](CAudioElementSheet& sheet)
         {
             EXPECT_FALSE(sheet.IsSeveral());
             SetTitle(sheet, QStringLiteral("B1"));
             Click(sheet, QDialogButtonBox::Ok);
         });
    EXPECT_EQ(updates(), 1);
    EXPECT_EQ(Record(1).title, "B1");

    Edit({1},
         [](CAudioElementSheet& sheet)
         {
             SetTitle(sheet, QStringLiteral("B2"));
             Click(sheet, QDialogButtonBox::Apply);
             Click(sheet, QDialogButtonBox::Cancel);
         });
    EXPECT_EQ(updates(), 2);
    EXPECT_EQ(Record(1).title, "B2");

    Edit({0, 1},
         [](CAudioElementSheet& sheet)
         {
             EXPECT_TRUE(sheet.IsSeveral());
             Click(sheet, QDialogButtonBox::Cancel);
         });
    EXPECT_EQ(updates(), 3);
    EXPECT_EQ(ReadTags(paths[0]).title, "A");
    m_doc.RemoveObserver(&views);
}
} // namespace
