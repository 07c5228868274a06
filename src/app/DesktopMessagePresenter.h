#pragma once

// The process's presenter: boxes when the user sees a screen, else lines on standard error.

#include "app/Messages.h"
#include "app/QtMessagePresenter.h"

namespace pellora {

class GuiSession;

// A start without a screen (or on a platform nobody sees, such as offscreen) cannot wait for a click in a
// box that no one can see, so it writes the message instead and goes on as if the default button had
// been pressed.
class DesktopMessagePresenter final : public MessagePresenter {
public:
    explicit DesktopMessagePresenter(GuiSession& gui);

    int Show(const std::string& text, const std::string& caption, int style) override;
    int ShowNonBlocking(const std::string& text, const std::string& caption, int style) override;
    void CloseNonBlocking() override;
    void ShowFixedText(const std::string& text, const std::string& caption) override;

    QtMessagePresenter& boxes() { return m_boxes; }

private:
    // Whether a message goes into a box (making the application if need be) rather than to standard error.
    bool useBoxes();

    GuiSession& m_gui;
    StreamMessagePresenter m_stream;
    QtMessagePresenter m_boxes;
};

} // namespace pellora
