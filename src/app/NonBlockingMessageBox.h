#pragma once

// The view-mode message box: shown at once without blocking, one at a time, where the last one stood,
// and closed by the program rather than by the user.
//
// The box is a modeless window of the window thread, which every widget must live on: Show returns as
// soon as the box is up, the box is placed once it has its final size, an event filter on the box and its
// controls holds back the user's input, and deleting the box ends it. With one thread there is no lock.

#include <QMessageBox>
#include <QPointer>
#include <QRect>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace pellora {

// The program's main window when it is shown, else null.
QWidget* VisibleMainWindow();

class NonBlockingMessageBox {
public:
    using ResultHandler = std::function<void(int result)>;

    NonBlockingMessageBox();
    ~NonBlockingMessageBox();
    NonBlockingMessageBox(const NonBlockingMessageBox&) = delete;
    NonBlockingMessageBox& operator=(const NonBlockingMessageBox&) = delete;

    // Closes a box still shown and shows the text in a new one: the exclamation icon for the usual button
    // sets without an icon, the caption (the program's path when it is empty), no close button, at the
    // last box's place or else centred on the main window, kept on the desktop. Without allowInput the box
    // takes no keys and no left-button clicks. Returns at once.
    void Show(const std::string& text, const std::string& caption, int style, bool allowInput);
    // Closes the box still shown, remembering its place; its result is not delivered.
    void Close();

    // When the user ends a box with a button, the result goes to notify, posted to receiver, and to the
    // callback, called at once; both stay set for later boxes.
    void SetNotify(QObject* receiver, ResultHandler notify);
    void SetCallback(ResultHandler callback) { m_callback = std::move(callback); }

    QMessageBox* box() const { return m_box.get(); }
    // The button that ended the last box a user answered (IDOK, IDYES, ...), 0 before any.
    int result() const { return m_result; }
    std::optional<QRect> lastPosition() const { return m_lastPosition; }

private:
    class InputFilter;

    void place();
    void finished(int button);
    void rememberPosition();

    std::unique_ptr<QMessageBox> m_box;
    std::unique_ptr<QMessageBox> m_answered; // the box the user ended last, hidden
    std::unique_ptr<InputFilter> m_filter;
    std::optional<QRect> m_lastPosition;
    QPointer<QObject> m_notifyReceiver;
    ResultHandler m_notify;
    ResultHandler m_callback;
    int m_result = 0;
    bool m_allowInput = false;
};

} // namespace pellora
