#include "app/DesktopMessagePresenter.h"

#include "app/GuiSession.h"

namespace pellora {

DesktopMessagePresenter::DesktopMessagePresenter(GuiSession& gui)
    : m_gui(gui)
{
}

bool DesktopMessagePresenter::useBoxes()
{
    return CurrentDisplay() == DisplayKind::Visible && m_gui.Ensure() != nullptr;
}

int DesktopMessagePresenter::Show(const std::string& text, const std::string& caption, int style)
{
    return useBoxes() ? m_boxes.Show(text, caption, style) : m_stream.Show(text, caption, style);
}

int DesktopMessagePresenter::ShowNonBlocking(const std::string& text, const std::string& caption, int style)
{
    return useBoxes() ? m_boxes.ShowNonBlocking(text, caption, style) : m_stream.ShowNonBlocking(text, caption, style);
}

void DesktopMessagePresenter::CloseNonBlocking()
{
    m_boxes.CloseNonBlocking();
}

void DesktopMessagePresenter::ShowFixedText(const std::string& text, const std::string& caption)
{
    if (useBoxes())
        m_boxes.ShowFixedText(text, caption);
    else
        m_stream.ShowFixedText(text, caption);
}

} // namespace pellora
