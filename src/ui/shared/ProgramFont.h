#pragma once

// The font of every window of the program: the desktop's font at the program's own size.

#include <QFont>

namespace pellora::ui {

inline constexpr int kProgramFontPointSize = 9;

inline QFont ProgramFont(const QFont& desktop)
{
    QFont font(desktop);
    font.setPointSize(kProgramFontPointSize);
    return font;
}

} // namespace pellora::ui
