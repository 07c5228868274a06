#pragma once

// The message of a field whose input is refused (too long, out of range): a modal warning over the
// field's window, captioned with the product name.

#include <QString>
#include <QWidget>

namespace pellora::ui {

void ShowInputMessage(QWidget* owner, const QString& text);

} // namespace pellora::ui
