#pragma once

// The tab order of a window against the way its controls are read: row by row from the top, left to
// right in a row.

#include <QPoint>
#include <QRect>
#include <QWidget>

#include <string>
#include <vector>

namespace pellora::test {

// Each step of the focus chain below root that goes back up or to the left, described; empty when the
// order is the reading order. Controls side by side (their heights overlap) are read from left to right,
// the others from the top down.
inline std::vector<std::string> FocusOrderBreaks(QWidget* root)
{
    std::vector<QWidget*> controls;
    for (QWidget* w = root->nextInFocusChain(); w != root && controls.size() < 200; w = w->nextInFocusChain()) {
        if (root->isAncestorOf(w) && w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus))
            controls.push_back(w);
    }
    const auto place = [root](const QWidget* w) { return QRect(w->mapTo(root, QPoint()), w->size()); };
    const auto describe = [](const QWidget* w, const QRect& r) {
        return std::string(w->metaObject()->className()) + " (" + std::to_string(r.x()) + "," + std::to_string(r.y())
            + ")";
    };
    std::vector<std::string> breaks;
    if (controls.size() < 2)
        breaks.push_back("fewer than two controls take the focus");
    for (std::size_t i = 1; i < controls.size(); ++i) {
        const QRect before = place(controls[i - 1]);
        const QRect after = place(controls[i]);
        const bool sideBySide = after.top() <= before.bottom() && before.top() <= after.bottom();
        if (sideBySide ? after.left() <= before.left() : after.top() < before.top())
            breaks.push_back(describe(controls[i - 1], before) + " then " + describe(controls[i], after));
    }
    return breaks;
}

} // namespace pellora::test
