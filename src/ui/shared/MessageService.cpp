#include "ui/shared/MessageService.h"

#include "core/document/Corvan2Doc.h"
#include "ui/shared/DialogTexts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace pellora::ui {

namespace {

MessageService* g_service = nullptr;

} // namespace

int MessageService::AskQuestion(const QString& text, bool withCancel)
{
    // The product name as caption, as the numbered messages have it.
    QString caption = ItemText(kEtcSection, kEtcProductName);
    if (caption.isEmpty())
        caption = QApplication::applicationDisplayName();
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    const auto add = [&box](QMessageBox::StandardButton standard, int answer) {
        QPushButton* button = box.addButton(standard);
        if (const QString own = ItemText(kQuestionSection, answer); !own.isEmpty())
            button->setText(own);
        return button;
    };
    QPushButton* yes = add(QMessageBox::Yes, kAnswerYes);
    QPushButton* no = add(QMessageBox::No, kAnswerNo);
    QPushButton* cancel = withCancel ? add(QMessageBox::Cancel, kAnswerCancel) : nullptr;
    box.setDefaultButton(yes);
    box.setEscapeButton(withCancel ? cancel : no);
    box.exec();
    if (box.clickedButton() == yes)
        return kAnswerYes;
    if (box.clickedButton() == no)
        return kAnswerNo;
    return withCancel ? kAnswerCancel : kAnswerNo;
}

void SetMessageService(MessageService* service)
{
    g_service = service;
}

int ShowMessage(int number)
{
    return g_service ? g_service->ShowMessage(number) : 0;
}

int ShowFileMessage(int number, const std::filesystem::path& path)
{
    return g_service ? g_service->ShowFileMessage(number, path.string()) : 0;
}

int AskQuestion(const QString& text, bool withCancel)
{
    return g_service ? g_service->AskQuestion(text, withCancel) : 0;
}

int ShowDetailedMessage(int number, std::string_view detail)
{
    return g_service ? g_service->ShowDetailedMessage(number, detail) : 0;
}

void ShowDocumentResult(const DocumentResult& result, std::string_view detail)
{
    if (result.ok() || result.message == 0)
        return;
    if (result.fileMessage)
        ShowFileMessage(result.message, result.file);
    else if (!detail.empty())
        ShowDetailedMessage(result.message, detail);
    else
        ShowMessage(result.message);
}

} // namespace pellora::ui
