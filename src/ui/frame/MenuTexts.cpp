#include "ui/frame/MenuTexts.h"

#include "core/i18n/StringTable.h"
#include "ui/frame/CommandTable.h"
#include "ui/frame/MainFrameIds.h"

#include <QMenu>

namespace pellora::ui {

int TopLevelCaptionItem(int count, int position)
{
    if (count == 5 || count == 6)
        return position >= 0 && position <= 4 ? position : -1;
    if (count == 3)
        return position >= 0 && position <= 2 ? 2 * position : -1;
    return position >= 1 && position <= 5 ? position - 1 : -1;
}

void RetextMenuBar(QMenuBar* bar, const StringTable& table, bool disableItems)
{
    const QList<QAction*> topLevel = bar->actions();
    const int count = static_cast<int>(topLevel.size());
    for (int position = 0; position < count; ++position) {
        QMenu* popup = topLevel[position]->menu();
        if (!popup)
            continue;
        if (const int item = TopLevelCaptionItem(count, position); item >= 0)
            topLevel[position]->setText(QString::fromStdString(table.GetItemText(kSectionMenu, item)));
        for (QAction* action : popup->actions()) {
            if (action->isSeparator() || action->menu())
                continue;
            const int id = CommandTable::CommandId(action);
            if (id != 0 && id < AFX_IDM_FIRST_MDICHILD)
                action->setText(QString::fromStdString(table.GetItemText(kSectionMenu, id)));
            if (disableItems)
                action->setEnabled(false);
        }
    }
}

} // namespace pellora::ui
