#include "ui/shared/ProductArt.h"

#include <QFile>

#include <gtest/gtest.h>

#include <set>

namespace pellora::ui {
namespace {

// Number of distinct colours: a drawn picture has many, an empty one a single one.
std::size_t colourCount(const QImage& image)
{
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); x += 3)
            colours.insert(image.pixel(x, y));
    }
    return colours.size();
}

TEST(ProductArtTest, PicturesHaveTheirSizesAndAreDrawn)
{
    const QImage splash = SplashPicture();
    EXPECT_EQ(splash.size(), QSize(480, 300));
    EXPECT_GT(colourCount(splash), 20u);
    const QImage logo = LogoPicture();
    EXPECT_EQ(logo.size(), QSize(320, 40));
    EXPECT_GT(colourCount(logo), 20u);

    const QIcon icon = ProductIcon();
    EXPECT_FALSE(icon.isNull());
    EXPECT_EQ(icon.availableSizes().size(), 5);
    EXPECT_GT(colourCount(icon.pixmap(32, 32).toImage()), 3u);
}

// The build writes both pictures into the program folder as bitmap files.
TEST(ProductArtTest, TheProgramFolderHoldsThePicturesAsBitmaps)
{
    for (const char* name : {"CVDATA1.DAT", "CVDATA2.DAT"}) {
        QFile file(QString(PELLORA_BIN_DIR) + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        EXPECT_EQ(file.read(2), QByteArray("BM")) << name;
    }
    QImage splash(QString(PELLORA_BIN_DIR) + "/CVDATA1.DAT", "BMP");
    EXPECT_EQ(splash.size(), QSize(480, 300));
    QImage logo(QString(PELLORA_BIN_DIR) + "/CVDATA2.DAT", "BMP");
    EXPECT_EQ(logo.size(), QSize(320, 40));
}

} // namespace
} // namespace pellora::ui
