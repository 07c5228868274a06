#include "ui/shared/QtTranslations.h"

#include "MainFrameTestSupport.h"
#include "ui/frame/MainFrame.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QPushButton>

#include <gtest/gtest.h>

namespace pellora::ui {
namespace {

using frametest::FrameEnvironment;
using frametest::Settle;

QString Catalogue(const QString& folder, const QString& locale)
{
    return folder + QStringLiteral("/qtbase_") + locale + QStringLiteral(".qm");
}

// The Cancel button of a box made before the switches: standard buttons re-text themselves.
class CancelButton {
public:
    CancelButton()
        : m_box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel)
    {
    }
    QString text()
    {
        Settle();
        return m_box.button(QDialogButtonBox::Cancel)->text();
    }

private:
    QDialogButtonBox m_box;
};

// The follower leaves with the translations it calls, also when a test stops early.
class ScopedFollower {
public:
    explicit ScopedFollower(QtTranslations& translations)
    {
        SetLanguageFollower([&translations](std::uint16_t language) { translations.Follow(language); });
    }
    ~ScopedFollower() { SetLanguageFollower({}); }
    ScopedFollower(const ScopedFollower&) = delete;
    ScopedFollower& operator=(const ScopedFollower&) = delete;
};

TEST(QtTranslationsTest, QtsOwnTextsFollowTheFramesLanguageFromTheStartAndOnEverySwitch)
{
    const QString folder = QtTranslations::DefaultFolder();
    for (const char* locale : {"de", "fr", "pt_BR"}) {
        if (!QFile::exists(Catalogue(folder, QString::fromLatin1(locale))))
            GTEST_SKIP() << "no Qt catalogue for " << locale << " in " << folder.toStdString()
                         << " (Debian package qt6-translations-l10n)";
    }
    FrameEnvironment environment;
    CancelButton cancel;
    QtTranslations translations;
    const ScopedFollower follower(translations);
    {
        CMainFrame frame(environment.environment(), environment.settings());
        ASSERT_TRUE(frame.Create(0x0407));
        EXPECT_EQ(cancel.text(), "Abbrechen");
        frame.SwitchLanguage(0);
        EXPECT_EQ(cancel.text(), "Cancel") << "the neutral table takes Qt's English texts back";
        frame.SwitchLanguage(0x040C);
        EXPECT_EQ(cancel.text(), "Annuler");
        frame.SwitchLanguage(0x0416);
        EXPECT_EQ(cancel.text(), "Cancelar");
        frame.SwitchLanguage(0x0407);
        EXPECT_EQ(cancel.text(), "Abbrechen");
        // The next-language command walks the same way.
        frame.SetNoticePresenter([](const QString&, const QString&) {});
        ASSERT_TRUE(frame.OnCommand(ID_LANGUAGE_NEXT));
        EXPECT_EQ(CurrentLanguage(), 0x040A);
        EXPECT_EQ(cancel.text(), "Cancelar");
    }
}

TEST(QtTranslationsTest, ALanguageWithoutCatalogueShowsEnglishNotThePreviousLanguage)
{
    const QString installed = Catalogue(QtTranslations::DefaultFolder(), QStringLiteral("de"));
    if (!QFile::exists(installed))
        GTEST_SKIP() << "no " << installed.toStdString() << " (Debian package qt6-translations-l10n)";
    const ScopedTempFolder folder;
    const QString onlyGerman = QString::fromStdString(folder.path().string());
    ASSERT_TRUE(QFile::copy(installed, Catalogue(onlyGerman, QStringLiteral("de"))));

    CancelButton cancel;
    {
        QtTranslations translations(onlyGerman);
        EXPECT_TRUE(translations.Follow(0x0407));
        EXPECT_EQ(cancel.text(), "Abbrechen");
        EXPECT_FALSE(translations.Follow(0x040C));
        EXPECT_EQ(cancel.text(), "Cancel");
        EXPECT_TRUE(translations.Follow(0x0407));
        EXPECT_EQ(cancel.text(), "Abbrechen");
    }
    EXPECT_EQ(cancel.text(), "Cancel") << "the translation leaves with its owner";
}

} // namespace
} // namespace pellora::ui
