#include "ui/shared/LayoutApply.h"

#include "ui/shared/ControlId.h"

#include <utility>
#include <vector>

namespace pellora::ui {

void ApplyLayout(const LayoutTable& table, QWidget* parent, int clientWidth, int clientHeight)
{
    std::vector<std::pair<QWidget*, LayoutRect>> moves;
    for (const auto& [id, rect] : table.Evaluate(clientWidth, clientHeight))
        moves.emplace_back(FindControl(parent, static_cast<int>(id)), rect);
    for (const auto& [control, rect] : moves) {
        if (!control)
            continue;
        control->setGeometry(rect.left, rect.top, rect.width() > 0 ? rect.width() : 0,
                             rect.height() > 0 ? rect.height() : 0);
        control->update();
    }
}

} // namespace pellora::ui
