#pragma once

// Gives every control of a window its text from the string table section of that window.

#include <QString>
#include <QStringList>
#include <QWidget>

#include <string_view>

namespace pellora {
class StringTable;
}

namespace pellora::ui {

// The process-wide string table used by the windows.
const StringTable& Strings();
QString ItemText(std::string_view section, int item);
QStringList ItemTexts(std::string_view section, int item);
QString KeyText(std::string_view section, std::string_view key);

// Every descendant with a positive control identifier: list and tree views get their column headers,
// combo boxes their items (kept when unchanged), other controls their caption. Edit fields keep
// their content.
void ApplyDialogTexts(QWidget* window, std::string_view section, const StringTable& table = Strings());

// The tooltip of control id is item kTooltipItemBase + id of the window's section.
inline constexpr int kTooltipItemBase = 100000;
// Every descendant with a positive control identifier gets its tooltip; a button that shows only an icon
// and has none says in its tooltip what its text says.
void ApplyTooltips(QWidget* window, std::string_view section);

} // namespace pellora::ui
