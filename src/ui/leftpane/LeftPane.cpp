#include "ui/leftpane/LeftPane.h"

#include "core/document/Corvan2Doc.h"
#include "ui/frame/MainFrameIds.h"
#include "ui/shared/ControlId.h"
#include "ui/shared/DialogTexts.h"
#include "ui/shared/LayoutApply.h"

#include <QPointer>
#include <QResizeEvent>
#include <QTabBar>

namespace pellora::ui {

CLeftPane::CLeftPane(QWidget* parent)
    : QWidget(parent)
    , m_tabs(new QTabWidget(this))
{
    setObjectName(QString::fromLatin1(kSectionLeftPane.data(), static_cast<int>(kSectionLeftPane.size())));
    SetControlId(this, IDD_DIALOG_LEFT);
    SetControlId(m_tabs, IDC_LEFT_TABS);
    m_tabs->setDocumentMode(false);
    m_tabs->setUsesScrollButtons(true);
    m_layout.SetRule(IDC_LEFT_TABS, 2, 3, "100%-4", "100%-7");
    ApplyLayout(m_layout, this);
}

bool CLeftPane::ActiveProjectHasRoom() const
{
    const CCorvan2Doc* project = ActiveProject();
    return project != nullptr && !project->IsFull();
}

void CLeftPane::Retext()
{
    for (int i = 0; i < m_tabs->count(); ++i) {
        if (auto* page = dynamic_cast<LeftPanePage*>(m_tabs->widget(i)))
            page->Retext();
        m_tabs->widget(i)->update();
    }
    const QString caption = ItemText(kSectionLeftPane, 0);
    if (caption != m_caption || windowTitle() != caption) {
        m_caption = caption;
        setWindowTitle(caption);
        emit captionChanged(caption);
    }
    applyTabTexts();
    ApplyLayout(m_layout, this);
    update();
    if (parentWidget())
        parentWidget()->update();
}

int CLeftPane::AddPage(QWidget* page, const QIcon& image)
{
    const int index = m_tabs->addTab(page, image, QString());
    if (m_tabs->count() == 1)
        SelectPage(0);
    applyTabTexts();
    return index;
}

void CLeftPane::SelectPage(int index)
{
    if (index < 0 || index >= m_tabs->count())
        return;
    m_tabs->setCurrentIndex(index);
    if (QWidget* page = m_tabs->currentWidget())
        page->setFocus();
}

void CLeftPane::PostToCurrentPage(int message, int argument)
{
    QPointer<QWidget> page = CurrentPage();
    if (page.isNull())
        return;
    QMetaObject::invokeMethod(
        page,
        [page, message, argument] {
            if (auto* target = dynamic_cast<LeftPanePage*>(page.data()))
                target->OnLeftPaneMessage(message, argument);
        },
        Qt::QueuedConnection);
}

void CLeftPane::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    ApplyLayout(m_layout, this, event->size().width(), event->size().height());
    update();
}

void CLeftPane::applyTabTexts()
{
    const QStringList labels = ItemTexts(kSectionLeftPane, IDC_LEFT_TABS);
    for (int i = 0; i < m_tabs->count(); ++i)
        m_tabs->setTabText(i, i < labels.size() ? labels[i] : QString());
}

} // namespace pellora::ui
