#pragma once

// View mode: keyboard and right-button input is discarded before any window sees it.

#include <QObject>

namespace pellora {

class ViewModeInputFilter final : public QObject {
public:
    // Installs itself on the running application for its lifetime.
    ViewModeInputFilter();
    ~ViewModeInputFilter() override;

    // Whether the event is one that view mode discards.
    static bool Discards(const QEvent& event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace pellora
