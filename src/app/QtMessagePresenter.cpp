#include "app/QtMessagePresenter.h"

#include <QApplication>

namespace pellora {

namespace {

QWidget* ownerWindow()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    return VisibleMainWindow();
}

} // namespace

QtMessagePresenter::QtMessagePresenter() = default;

QtMessagePresenter::~QtMessagePresenter() = default;

int QtMessagePresenter::Show(const std::string& text, const std::string& caption, int style)
{
    QMessageBox box(IconOf(style), QString::fromStdString(caption), DisplayText(text), ButtonsOf(style), ownerWindow());
    box.setTextFormat(Qt::PlainText);
    return ResultOf(box.exec());
}

int QtMessagePresenter::ShowNonBlocking(const std::string& text, const std::string& caption, int style)
{
    m_nonBlocking.Show(text, caption, style, m_allowInput);
    return 0;
}

void QtMessagePresenter::CloseNonBlocking()
{
    m_nonBlocking.Close();
}

void QtMessagePresenter::ShowFixedText(const std::string& text, const std::string& caption)
{
    QMessageBox box(QMessageBox::Critical, QString::fromStdString(caption), DisplayText(text), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

QMessageBox::Icon QtMessagePresenter::IconOf(int style)
{
    switch (style & MB_ICONMASK) {
    case MB_ICONHAND:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONASTERISK:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

QMessageBox::StandardButtons QtMessagePresenter::ButtonsOf(int style)
{
    switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MB_YESNOCANCEL:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MB_YESNO:
        return QMessageBox::Yes | QMessageBox::No;
    default:
        return QMessageBox::Ok;
    }
}

int QtMessagePresenter::ResultOf(int button)
{
    switch (button) {
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    case QMessageBox::Cancel:
        return IDCANCEL;
    default:
        return IDOK;
    }
}

int QtMessagePresenter::NonBlockingStyle(int style)
{
    const int buttons = style & MB_TYPEMASK;
    const bool usualButtons =
        buttons == MB_OK || buttons == MB_OKCANCEL || buttons == MB_YESNOCANCEL || buttons == MB_YESNO;
    if ((style & MB_ICONMASK) == 0 && usualButtons)
        return style | MB_ICONEXCLAMATION;
    return style;
}

QString QtMessagePresenter::DisplayText(const std::string& text)
{
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QChar('\r'), QChar('\n'));
    return shown;
}

} // namespace pellora
