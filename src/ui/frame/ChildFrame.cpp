#include "ui/frame/ChildFrame.h"

#include "core/model/ViewMode.h"
#include "ui/dialogs/DocumentFileDialog.h"
#include "ui/frame/CommandIcons.h"
#include "ui/frame/MainFrameIds.h"
#include "ui/project/Corvan2View.h"
#include "ui/project/PackageBuildRunner.h"
#include "ui/shared/DialogTexts.h"
#include "ui/shared/MessageService.h"

#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QMdiArea>
#include <QMenu>
#include <QStyle>
#include <QStyleOptionTitleBar>

#include <algorithm>

namespace pellora::ui {

namespace {

std::filesystem::path toPath(const QString& text)
{
    return std::filesystem::path(QFile::encodeName(text).toStdString());
}

QString toText(const std::filesystem::path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

} // namespace

CChildFrame::CChildFrame(std::unique_ptr<CCorvan2Doc> document, QWidget* parent)
    : QMdiSubWindow(parent)
    , m_document(std::move(document))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(DocumentTabIcon());
    m_view = std::make_unique<CCorvan2View>(*m_document, this);
    setWidget(m_view.get());
    connect(m_view.get(), &CCorvan2View::recentFileAdded, this, &CChildFrame::recentFileAdded);
    connect(m_view.get(), &CCorvan2View::frameCommandRequested, this, &CChildFrame::frameCommandRequested);
    connect(m_view.get(), &CCorvan2View::packageBuilt, this, &CChildFrame::packageBuilt);
    connect(m_view.get(), &CCorvan2View::statusNotice, this, &CChildFrame::statusNotice);
    m_observer = m_document->AddObserver([this](long) { SyncTitle(); });
    SyncTitle();
    if (IsViewMode()) {
        // The user cannot close a project window in view mode.
        setWindowFlag(Qt::WindowCloseButtonHint, false);
        for (QAction* action : systemMenu()->actions()) {
            if (action->shortcuts().contains(QKeySequence(QKeySequence::Close)))
                action->setEnabled(false);
        }
    }
}

CChildFrame::~CChildFrame()
{
    m_document->RemoveObserver(m_observer);
    // The view leaves the window before it goes, and goes before the document it shows.
    setWidget(nullptr);
    m_view.reset();
}

void CChildFrame::RetextView()
{
    m_view->Retext();
}

void CChildFrame::ShowValidationFailure(const ValidationResult& result)
{
    m_view->ShowValidationFailure(result);
}

void CChildFrame::SyncTitle()
{
    const QString title = QString::fromStdString(m_document->GetTitle());
    if (windowTitle() == title)
        return;
    setWindowTitle(title);
    emit titleChanged(this);
}

int CChildFrame::CascadeStep() const
{
    QStyleOptionTitleBar option;
    option.initFrom(this);
    option.titleBarFlags = windowFlags();
    return style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, this) + 2;
}

QRect CChildFrame::DefaultRect(const QRect& clientArea, const std::vector<QRect>& others, int step)
{
    QRect rect = clientArea.adjusted(8, 8, -8, -8);
    if (rect.isEmpty() && !others.empty())
        rect = others.back();
    const auto taken = [&others](const QRect& candidate) {
        return std::find(others.begin(), others.end(), candidate) != others.end();
    };
    while (taken(rect)) {
        QRect next = rect;
        next.setTopLeft(rect.topLeft() + QPoint(step, step));
        if (next.height() <= 256)
            break;
        rect = next;
    }
    return rect;
}

void CChildFrame::PlaceDefault(const std::vector<QRect>& others)
{
    if (isMinimized() || isMaximized())
        showNormal();
    const QMdiArea* area = mdiArea();
    QRect client;
    if (area) {
        // Before the frame is first shown the viewport has not been laid out: take the size it will have.
        client = area->isVisible() ? area->viewport()->rect() : QRect(QPoint(0, 0), area->maximumViewportSize());
    }
    const QRect rect = DefaultRect(client, others, CascadeStep());
    if (rect.isValid()) {
        setGeometry(rect);
        m_normalRect = rect;
    }
}

QRect CChildFrame::NormalRect() const
{
    return isMinimized() || isMaximized() ? m_normalRect : geometry();
}

bool CChildFrame::Save(bool askForName)
{
    if (IsViewMode())
        return false;
    const CCorvan2View::SaveCheck check = m_view->CheckBeforeSave();
    if (check == CCorvan2View::SaveCheck::Stop)
        return false;
    std::filesystem::path path = m_document->GetPathName();
    if (askForName || path.empty()) {
        const QString initial = path.empty() ? QString::fromStdString(m_document->GetTitle()) : toText(path);
        const QString chosen = PromptSaveDocument(window(), initial);
        if (chosen.isEmpty())
            return false;
        path = toPath(chosen);
    }
    if (!m_view->MaySaveTo(path, check))
        return false;
    const DocumentResult result = m_document->SaveDocument(path);
    if (!result.ok()) {
        ShowDocumentResult(result);
        return false;
    }
    emit recentFileAdded(toText(path));
    SyncTitle();
    return true;
}

bool CChildFrame::SaveModified()
{
    if (IsViewMode() || !m_document->IsModified())
        return true;
    const QString question = ItemText(kQuestionSection, kQuestionSaveChanges)
                                 .replace(QStringLiteral("%1"), QString::fromStdString(m_document->GetTitle()));
    switch (AskQuestion(question, true)) {
    case kAnswerYes:
        return Save(false);
    case kAnswerNo:
        return true;
    default:
        return false;
    }
}

void CChildFrame::CloseWithoutAsking()
{
    m_askBeforeClosing = false;
    if (!close())
        m_askBeforeClosing = true;
}

void CChildFrame::closeEvent(QCloseEvent* event)
{
    // A package build ends first (cancelled); the window closes once it has.
    if (PackageBuildRunner::DeferClose(this)) {
        event->ignore();
        return;
    }
    if (m_askBeforeClosing && !SaveModified()) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted())
        emit closing(this);
}

void CChildFrame::moveEvent(QMoveEvent* event)
{
    QMdiSubWindow::moveEvent(event);
    rememberNormalRect();
}

void CChildFrame::resizeEvent(QResizeEvent* event)
{
    QMdiSubWindow::resizeEvent(event);
    rememberNormalRect();
}

void CChildFrame::rememberNormalRect()
{
    if (!isMinimized() && !isMaximized())
        m_normalRect = geometry();
}

} // namespace pellora::ui
