// Draws the pictures of the program folder: CVDATA1.DAT (splash screen) and CVDATA2.DAT (logo), as BMP files.

#include "ui/shared/ProductArt.h"

#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication application(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const bool written = pellora::ui::SplashPicture().save(folder + "/CVDATA1.DAT", "BMP")
        && pellora::ui::LogoPicture().save(folder + "/CVDATA2.DAT", "BMP");
    if (!written) {
        std::fprintf(stderr, "cannot write the pictures into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
