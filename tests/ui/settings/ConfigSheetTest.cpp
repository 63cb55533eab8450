#include "ui/settings/ConfigSheet.h"

#include "settings/SettingsStore.h"
#include "support/FindChild.h"
#include "support/MemorySettingsStorage.h"
#include "ui/settings/EncoderOGGVorbisPropPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <tuple>
#include <utility>

namespace
{
const std::string kGeneral = "GeneralProperties";
const std::string kEncoder = "EncoderProperties";
const std::string kOgg = "EncoderOGGVorbisProperties";

// A sheet shown without a modal loop, driven through its widgets.
class ConfigSheetTest : public ::testing::Test
{
protected:
    void Open()
    {
        m_sheet = std::make_unique<CConfigSheet>(m_store, m_help);
        m_sheet->show();
    }
    template <typename T>
    T* Find(const char* name) const
    {
        return FindChild<T>(*m_sheet, name);
    }
    void ShowPage(int index) { m_sheet->findChild<QTabWidget*>()->setCurrentIndex(index); }
    QPushButton* Button(QDialogButtonBox::StandardButton which) const
    {
        return m_sheet->findChild<QDialogButtonBox*>()->button(which);
    }
    bool WroteIn(const std::string& section) const
    {
        return std::any_of(m_storage.Writes().begin(), m_storage.Writes().end(),
                           [&](const std::string& write) { return write.rfind(section, 0) == 0; });
    }

    CMemorySettingsStorage m_storage;
    CSettingsStore m_store{m_storage};
    CHelpContext m_help;
    std::unique_ptr<CConfigSheet> m_sheet;
};

TEST_F(ConfigSheetTest, OkWithoutVisitingTheEncoderPagesWritesOnlyTheGeneralValues)
{
    m_storage.PutString(kGeneral, "TrackDir", "/music/out");
    m_storage.PutInt(kGeneral, "WAVFormat", 2);
    m_storage.PutInt(kGeneral, "Normalize", 0);
    m_help.Set(CHelpContext::kConvertToWav);
    Open();
    EXPECT_EQ(m_help.Get(), CHelpContext::kConfiguration);
    EXPECT_EQ(m_sheet->findChild<QTabWidget*>()->currentIndex(), 0);
    EXPECT_TRUE(Find<QRadioButton>("wavCompressed")->isChecked());
    EXPECT_FALSE(Button(QDialogButtonBox::Apply)->isEnabled());

    Button(QDialogButtonBox::Ok)->click();

    EXPECT_EQ(m_sheet->result(), QDialog::Accepted);
    EXPECT_EQ(m_storage.Writes(),
              (std::vector<std::string>{"GeneralProperties/TrackDir", "GeneralProperties/WAVFormat",
                                        "GeneralProperties/ID3Check", "GeneralProperties/Normalize",
                                        "GeneralProperties/ConvertCorruptFiles",
                                        "GeneralProperties/RememberChecks",
                                        "GeneralProperties/RepairBackupFolder"}));
    EXPECT_EQ(m_store.GetTrackDir(), "/music/out");
    EXPECT_EQ(m_store.GetWAVFormat(), 1);
    EXPECT_FALSE(m_store.GetNormalize());
    EXPECT_TRUE(m_store.GetID3Check());
    EXPECT_EQ(m_help.Get(), CHelpContext::kConfiguration) << "until the sheet goes";
    m_sheet.reset();
    EXPECT_EQ(m_help.Get(), CHelpContext::kConvertToWav);
}

TEST_F(ConfigSheetTest, VisitedPagesAreWrittenOnOk)
{
    m_storage.PutInt(kEncoder, "CBR", 0);
    m_storage.PutInt(kOgg, "CBR", 3);
    Open();
    ShowPage(1);
    EXPECT_EQ(Find<QComboBox>("bitRate")->currentText(),
              QStringLiteral("128 kBit/s (HiFi quality)"));
    EXPECT_TRUE(Find<QRadioButton>("vbr")->isChecked());
    Find<QComboBox>("bitRate")->setCurrentIndex(6);
    Find<QComboBox>("quality")->setCurrentIndex(2);
    EXPECT_TRUE(Button(QDialogButtonBox::Apply)->isEnabled());
    ShowPage(2);
    EXPECT_EQ(Find<QComboBox>("cbrList")->currentText(), QStringLiteral("256 kbps"));

    Button(QDialogButtonBox::Ok)->click();

    const EncoderProperties mp3 = m_store.GetEncoderProperties();
    EXPECT_EQ(std::tuple(mp3.bitRateIndex, mp3.qualityIndex, mp3.cbr, mp3.vbr),
              std::tuple(6, 2, false, true));
    EXPECT_TRUE(m_storage.Has(kOgg, "USEBBR"));
    EXPECT_EQ(m_store.GetOggProperties().cbrIndex, 3);
}

TEST_F(ConfigSheetTest, StoredIndexesTheListsCannotShowAreKept)
{
    m_storage.PutInt(kEncoder, "BitRate", 8);
    m_storage.PutInt(kOgg, "BBRMAX", 9);
    Open();
    ShowPage(1);
    ShowPage(2);
    EXPECT_EQ(Find<QComboBox>("bitRate")->currentIndex(), -1);
    Button(QDialogButtonBox::Ok)->click();
    EXPECT_EQ(m_store.GetEncoderProperties().bitRateIndex, 8);
    EXPECT_EQ(m_store.GetOggProperties().bbrMax, 9);
}

// The ends of the table and beyond them; the slider test shows the middle.
TEST(OggQualityLabel, ShowsQualityAndApproximateBitRate)
{
    EXPECT_EQ(OggQualityLabel(0), QStringLiteral("0.00 (58 kbps)"));
    EXPECT_EQ(OggQualityLabel(20), QStringLiteral("1.00 (477 kbps)"));
    EXPECT_EQ(OggQualityLabel(21), QStringLiteral("1.05 (0 kbps)"));
    EXPECT_EQ(OggQualityLabel(-1), QStringLiteral("-0.05 (0 kbps)"));
}

// The slider shows its position and marks the page changed; BBR and VBR
// both stored show both until one is clicked.
TEST_F(ConfigSheetTest, OggSliderAndBothStoredModes)
{
    m_storage.PutInt(kOgg, "VBR", 4);
    for (const char* mode : {"USEBBR", "USEVBR", "USECBR"})
        m_storage.PutInt(kOgg, mode, 1);
    Open();
    ShowPage(2);
    EXPECT_EQ(Find<QLabel>("vbrText")->text(), QStringLiteral("0.20 (90 kbps)"));
    EXPECT_FALSE(Button(QDialogButtonBox::Apply)->isEnabled());
    Find<QSlider>("vbrSlider")->setValue(10);
    EXPECT_EQ(Find<QLabel>("vbrText")->text(), QStringLiteral("0.50 (155 kbps)"));
    EXPECT_TRUE(Button(QDialogButtonBox::Apply)->isEnabled());

    auto* bbr = Find<QCheckBox>("enableBbr");
    auto* vbr = Find<QCheckBox>("enableVbr");
    const auto ticked = [&] { return std::pair(bbr->isChecked(), vbr->isChecked()); };
    EXPECT_EQ(ticked(), std::pair(true, true));
    bbr->click(); // untick BBR; VBR stays
    EXPECT_EQ(ticked(), std::pair(false, true));
    bbr->click(); // tick BBR again, which clears VBR
    EXPECT_EQ(ticked(), std::pair(true, false));
    Button(QDialogButtonBox::Apply)->click();
    const auto modes = [this]
    {
        const OggProperties stored = m_store.GetOggProperties();
        return std::tuple(stored.useBbr, stored.useVbr, stored.useCbr);
    };
    EXPECT_EQ(modes(), std::tuple(1, 0, 0));

    vbr->click();
    EXPECT_FALSE(bbr->isChecked());
    vbr->click(); // neither left: constant bit rate
    Button(QDialogButtonBox::Ok)->click();
    EXPECT_EQ(modes(), std::tuple(0, 0, 1));
}

// Browse starts at the stored folder and takes the picked one unless
// cancelled; Cancel after Apply keeps what Apply wrote.
TEST_F(ConfigSheetTest, BrowseTakesThePickedFolderUnlessCancelled)
{
    m_storage.PutString(kGeneral, "TrackDir", "/start");
    Open();
    QString startSeen;
    QString answer;
    m_sheet->SetFolderPicker(
        [&](QWidget*, const QString& start)
        {
            startSeen = start;
            return answer;
        });
    auto* browse = Find<QPushButton>("browse");
    browse->click(); // cancelled
    EXPECT_EQ(startSeen, QStringLiteral("/start"));
    auto* folder = Find<QLineEdit>("trackDir");
    EXPECT_EQ(folder->text(), QStringLiteral("/start"));
    EXPECT_FALSE(Button(QDialogButtonBox::Apply)->isEnabled());

    answer = QStringLiteral("/first");
    browse->click();
    ASSERT_TRUE(Button(QDialogButtonBox::Apply)->isEnabled());
    Button(QDialogButtonBox::Apply)->click();
    EXPECT_FALSE(Button(QDialogButtonBox::Apply)->isEnabled());
    EXPECT_EQ(m_store.GetTrackDir(), "/first");
    const std::size_t written = m_storage.WriteCount();

    folder->setText(QStringLiteral("/second"));
    EXPECT_TRUE(Button(QDialogButtonBox::Apply)->isEnabled()) << "typing counts as a change";
    Find<QCheckBox>("id3Check")->click();
    ShowPage(1);
    Button(QDialogButtonBox::Cancel)->click();

    EXPECT_EQ(m_sheet->result(), QDialog::Rejected);
    EXPECT_EQ(m_storage.WriteCount(), written);
    EXPECT_EQ(m_store.GetTrackDir(), "/first");
    EXPECT_TRUE(m_store.GetID3Check());
    EXPECT_FALSE(WroteIn(kEncoder));
}

} // namespace
