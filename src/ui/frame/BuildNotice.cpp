#include "ui/frame/BuildNotice.h"

#include "ui/frame/MainFrameIds.h"
#include "ui/shared/DialogTexts.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QToolButton>

namespace pellora::ui {

CBuildNotice::CBuildNotice(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("BuildNotice"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    m_text = new QLabel(this);
    m_text->setTextFormat(Qt::PlainText);
    m_folder = new QToolButton(this);
    m_folder->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    m_folder->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_folder->setAutoRaise(true);
    layout->addWidget(m_text);
    layout->addWidget(m_folder);
    connect(m_folder, &QToolButton::clicked, this, &CBuildNotice::openFolder);
    hide();
}

void CBuildNotice::ShowBuilt(const QString& path)
{
    m_path = path;
    Retext();
    show();
}

void CBuildNotice::Retext()
{
    const QString shownPath = QDir::toNativeSeparators(m_path);
    const QString whole = ItemText(kSectionStatusNotice, kNoticePackageBuilt).replace(QStringLiteral("%1"), shownPath);
    m_text->setText(m_text->fontMetrics().elidedText(whole, Qt::ElideMiddle, kMaxTextWidth));
    m_text->setToolTip(whole);
    m_folder->setText(ItemText(kSectionStatusNotice, kNoticeShowInFolder));
}

void CBuildNotice::openFolder()
{
    if (m_path.isEmpty())
        return;
    const QUrl folder = QUrl::fromLocalFile(QFileInfo(m_path).absolutePath());
    if (m_opener)
        m_opener(folder);
    else
        QDesktopServices::openUrl(folder);
}

} // namespace pellora::ui
