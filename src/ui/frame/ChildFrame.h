#pragma once

// The window of one open project: owns the document and shows its project view.

#include "core/document/Corvan2Doc.h"

#include <QMdiSubWindow>
#include <QRect>

#include <memory>
#include <vector>

namespace pellora::ui {

class CCorvan2View;

class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    // The frame takes the document over and makes its view.
    explicit CChildFrame(std::unique_ptr<CCorvan2Doc> document, QWidget* parent = nullptr);
    ~CChildFrame() override;

    CCorvan2Doc& Document() const { return *m_document; }
    CCorvan2View* View() const { return m_view.get(); }

    // The view re-reads its texts.
    void RetextView();
    // Shows the message of a failed pre-build check and selects the printer and control at fault.
    void ShowValidationFailure(const ValidationResult& result);

    // Takes the document's title as the window's; emits titleChanged when it differs.
    void SyncTitle();

    // The rectangle of the window when neither minimised nor maximised, in the client area.
    QRect NormalRect() const;
    // Restores a minimised or maximised window and puts it at its default place among others.
    void PlaceDefault(const std::vector<QRect>& others);
    // The cascade place of a new window: the client area shrunk by 8 pixels, moved one step down and
    // right while another window has exactly that rectangle and the height stays above 256.
    static QRect DefaultRect(const QRect& clientArea, const std::vector<QRect>& others, int step);
    // One cascade step: the height of a window caption and its edge.
    int CascadeStep() const;

    // Saves the project under its own path, or under a name the user chooses when it has none or
    // askForName is set. A project that fails the pre-build check shows why and is saved only when the
    // user wants it anyway. True when the file was written.
    bool Save(bool askForName);
    // About a changed project, asks "Save changes to <title>?" and acts on the answer: Yes saves, No
    // leaves the changes, Cancel keeps the window. True when the window may close now.
    bool SaveModified();
    // Closes without asking about changes (used when the frame has asked already).
    void CloseWithoutAsking();

signals:
    void titleChanged(CChildFrame* frame);
    // The window has agreed to close and goes away.
    void closing(CChildFrame* frame);
    // The view wrote a project or package file, which belongs in the recently-used list.
    void recentFileAdded(const QString& path);
    // A page of the view asked for a command of the frame.
    void frameCommandRequested(int id);
    // The view built a package at path.
    void packageBuilt(const QString& path);
    // The view has something for the status bar.
    void statusNotice(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void rememberNormalRect();

    // The document goes after the view, which may still speak to it while it goes.
    std::unique_ptr<CCorvan2Doc> m_document;
    std::unique_ptr<CCorvan2View> m_view;
    CCorvan2Doc::ObserverId m_observer = CCorvan2Doc::kNoObserver;
    QRect m_normalRect;
    bool m_askBeforeClosing = true;
};

} // namespace pellora::ui
