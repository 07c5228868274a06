#include "ui/shared/InputMessage.h"

#include "ui/shared/DialogTexts.h"

#include <QApplication>
#include <QMessageBox>

namespace pellora::ui {

void ShowInputMessage(QWidget* owner, const QString& text)
{
    QString caption = ItemText("ETC", 12);
    if (caption.isEmpty())
        caption = QApplication::applicationDisplayName();
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok, owner);
    box.exec();
}

} // namespace pellora::ui
