#pragma once

// How the project's printer list shows records: item texts, completeness, image index, the column
// comparisons of sorting and the order after an internal move.

#include "core/model/PrinterInfo.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellora {

// What the list shows in place of a missing value when the string table has no text for it.
inline constexpr char kNoneText[] = "- NONE -";

enum PrinterColumn : int {
    kColumnName = 0,
    kColumnAddress = 1,
    kColumnModel = 2,
    kColumnMac = 3,
    kColumnNote = 4,
    kPrinterColumnCount = 5,
};

// Empty or one of the two addresses that stand for "no network address".
bool IsPlaceholderAddress(std::string_view address);

// The text of a column: empty name, model and MAC address and a missing address show as none.
std::string PrinterItemText(const CPrinterInfoEx& record, int column, std::string_view none = kNoneText);

// A record whose name, address or model shows as kNoneText.
bool IsIncompleteRecord(const CPrinterInfoEx& record);

// 2 for the default printer, else 0; plus 1 for an incomplete record.
int PrinterImageIndex(const CPrinterInfoEx& record);

// The value of a dotted quad (exactly three dots, parts of one to three digits, nothing else); a quad
// with a part above 255 has the value 0xFFFFFFFF. Nothing for any other text.
std::optional<std::uint32_t> DottedQuadValue(std::string_view text);

// Negative, 0 or positive as a sorts before, with or after b in ascending order of the column.
// Texts compare as bytes; the address column puts the placeholder addresses with the empty ones,
// valid dotted quads before everything else and by value, equal values and the rest by text.
int ComparePrinterColumn(const CPrinterInfoEx& a, const CPrinterInfoEx& b, int column);

// The order of the items after the selected ones are dropped onto the item at dropIndex of the same
// list (the last item when dropIndex is outside the list): the unselected items before the drop
// item, then the selected items in their order, then the other unselected items. The drop item
// counts as before when the first selected item precedes it. Returns old positions in new order.
std::vector<std::size_t> DropMoveOrder(const std::vector<bool>& selected, std::ptrdiff_t dropIndex);

} // namespace pellora
