// pellora-strings: edits a string-table source and previews its texts in a running "pellora /V".

#include "tools/strings/StringsWindow.h"

#include <QApplication>
#include <QDir>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pellora-strings"));
    // The preview is the program of the same folder.
    pellora::strings::StringsWindow window(QDir(QApplication::applicationDirPath()).filePath(QStringLiteral("pellora")));
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        window.OpenSource(arguments.at(1));
    window.show();
    return QApplication::exec();
}
