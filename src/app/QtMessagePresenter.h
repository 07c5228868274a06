#pragma once

// Message boxes on the screen: modal boxes with the icon and buttons of a style, and the view-mode box that does not block.

#include "app/Messages.h"
#include "app/NonBlockingMessageBox.h"

#include <QMessageBox>

namespace pellora {

class QtMessagePresenter final : public MessagePresenter {
public:
    QtMessagePresenter();
    ~QtMessagePresenter() override;

    // A modal box over the active window with the application name as caption; returns IDOK, IDCANCEL,
    // IDYES or IDNO.
    int Show(const std::string& text, const std::string& caption, int style) override;
    // Replaces the box still shown by a new one that takes no keys and no left-button clicks and cannot be
    // closed by the user; it stands where the last one stood, else centred on the main window. Returns 0.
    int ShowNonBlocking(const std::string& text, const std::string& caption, int style) override;
    void CloseNonBlocking() override;
    // A plain modal box with a stop icon.
    void ShowFixedText(const std::string& text, const std::string& caption) override;

    // Whether the non-blocking boxes take input.
    void SetAllowInput(bool allow) { m_allowInput = allow; }
    NonBlockingMessageBox& nonBlocking() { return m_nonBlocking; }
    QMessageBox* nonBlockingBox() const { return m_nonBlocking.box(); }

    static QMessageBox::Icon IconOf(int style);
    static QMessageBox::StandardButtons ButtonsOf(int style);
    // The platform's number of the button that ended a box.
    static int ResultOf(int button);
    // Styles without an icon get the exclamation icon for the usual button sets.
    static int NonBlockingStyle(int style);
    // The text as the box shows it: CR LF and lone CR become line feeds.
    static QString DisplayText(const std::string& text);

private:
    NonBlockingMessageBox m_nonBlocking;
    bool m_allowInput = false;
};

} // namespace pellora
