#include "ui/dialogs/SplashScreen.h"

#include "core/util/Support.h"
#include "ui/shared/ProductArt.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace pellora::ui {
namespace {

class SplashScreenTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.valid()); }

    fs::path picture() const { return m_folder.path() / kSplashPictureName; }
    void writeBytes(const std::string& bytes) const
    {
        std::ofstream(picture(), std::ios::binary | std::ios::trunc) << bytes;
    }
    void writePicture(const QImage& image) const
    {
        ASSERT_TRUE(image.save(QString::fromStdString(picture().string()), "BMP"));
    }

    ScopedTempFolder m_folder;
};

TEST_F(SplashScreenTest, ShowsThePictureCentredOnTheScreen)
{
    writePicture(SplashPicture());
    const auto splash = SplashScreen::Show(m_folder.path());
    ASSERT_NE(splash, nullptr);
    EXPECT_TRUE(splash->isVisible());
    EXPECT_EQ(splash->size(), QSize(480, 300));
    EXPECT_TRUE(splash->windowFlags() & Qt::FramelessWindowHint);
    const QRect screen = QApplication::primaryScreen()->geometry();
    EXPECT_LE((splash->geometry().center() - screen.center()).manhattanLength(), 2);
    EXPECT_FALSE(splash->IsDismissed());
}

TEST_F(SplashScreenTest, AMissingOrUnreadablePictureShowsNothing)
{
    EXPECT_EQ(SplashScreen::Show(m_folder.path()), nullptr);
    writeBytes("");
    EXPECT_EQ(SplashScreen::Show(m_folder.path()), nullptr);
    writeBytes("BM this is not a picture at all");
    EXPECT_EQ(SplashScreen::Show(m_folder.path()), nullptr);
    // A PNG under the name is not taken for the bitmap it should be.
    ASSERT_TRUE(SplashPicture().save(QString::fromStdString(picture().string()), "PNG"));
    EXPECT_EQ(SplashScreen::Show(m_folder.path()), nullptr);
}

TEST_F(SplashScreenTest, AHeaderClaimingAHugePictureIsRefusedBeforeReading)
{
    writePicture(QImage(8, 8, QImage::Format_RGB32));
    std::string bytes;
    {
        std::ifstream in(picture(), std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    ASSERT_GE(bytes.size(), 26u);
    // Width and height of the information header: 100000 x 100000.
    for (const std::size_t at : {std::size_t {18}, std::size_t {22}}) {
        bytes[at] = '\xA0';
        bytes[at + 1] = '\x86';
        bytes[at + 2] = '\x01';
        bytes[at + 3] = '\x00';
    }
    writeBytes(bytes);
    EXPECT_TRUE(SplashScreen::LoadPicture(picture()).isNull());
}

TEST_F(SplashScreenTest, AnyKeyOrMousePressInTheApplicationClosesIt)
{
    writePicture(SplashPicture());
    QLineEdit elsewhere;
    elsewhere.show();

    auto splash = SplashScreen::Show(m_folder.path());
    ASSERT_NE(splash, nullptr);
    QSignalSpy dismissed(splash.get(), &SplashScreen::dismissed);
    QTest::keyClick(&elsewhere, Qt::Key_A);
    EXPECT_TRUE(splash->IsDismissed());
    EXPECT_FALSE(splash->isVisible());
    EXPECT_EQ(dismissed.count(), 1);
    EXPECT_EQ(elsewhere.text(), "a"); // the key still reaches its window

    splash = SplashScreen::Show(m_folder.path());
    ASSERT_NE(splash, nullptr);
    QTest::mouseClick(&elsewhere, Qt::RightButton);
    EXPECT_TRUE(splash->IsDismissed());

    splash = SplashScreen::Show(m_folder.path());
    ASSERT_NE(splash, nullptr);
    QTest::mousePress(splash.get(), Qt::LeftButton);
    EXPECT_TRUE(splash->IsDismissed());
}

TEST_F(SplashScreenTest, ItClosesByItselfAfterItsTime)
{
    writePicture(SplashPicture());
    const auto splash = SplashScreen::Show(m_folder.path(), 50ms);
    ASSERT_NE(splash, nullptr);
    QElapsedTimer clock;
    clock.start();
    while (!splash->IsDismissed() && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(splash->IsDismissed());
    EXPECT_FALSE(splash->isVisible());
}

} // namespace
} // namespace pellora::ui
