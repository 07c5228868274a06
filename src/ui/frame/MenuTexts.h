#pragma once

// Texts of a menu bar from the string-table section "MENU_STRING", by command number.

#include <QMenuBar>

namespace pellora {
class StringTable;
}

namespace pellora::ui {

// The item number of "MENU_STRING" that captions the top-level item at position of a bar with count
// items, or -1 for none: 5 or 6 items take 0 to 4 at positions 0 to 4; 3 items take 0, 2 and 4; any other
// count (a maximised window's menu stands first) takes 0 to 4 at positions 1 to 5.
int TopLevelCaptionItem(int count, int position);

// Re-texts the bar: the captions of its pop-ups, and in each pop-up every item with a command number
// other than 0 and below 0xFF00 that is not itself a pop-up. With disableItems (view mode) those items
// are also disabled.
void RetextMenuBar(QMenuBar* bar, const StringTable& table, bool disableItems);

} // namespace pellora::ui
