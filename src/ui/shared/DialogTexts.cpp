#include "ui/shared/DialogTexts.h"

#include "core/i18n/StringTable.h"
#include "ui/shared/ControlId.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>

#include <string>
#include <vector>

namespace pellora::ui {

namespace {

QStringList toList(const std::vector<std::string>& texts)
{
    QStringList list;
    for (const auto& text : texts)
        list << QString::fromStdString(text);
    return list;
}

void setHeaderTexts(QWidget* control, const QStringList& texts)
{
    if (auto* tree = qobject_cast<QTreeWidget*>(control)) {
        QTreeWidgetItem* header = tree->headerItem();
        for (int i = 0; i < texts.size() && i < tree->columnCount(); ++i)
            header->setText(i, texts[i]);
    } else if (auto* table = qobject_cast<QTableWidget*>(control)) {
        for (int i = 0; i < texts.size() && i < table->columnCount(); ++i) {
            if (!table->horizontalHeaderItem(i))
                table->setHorizontalHeaderItem(i, new QTableWidgetItem);
            table->horizontalHeaderItem(i)->setText(texts[i]);
        }
    } else if (auto* view = qobject_cast<QAbstractItemView*>(control)) {
        if (auto* model = qobject_cast<QStandardItemModel*>(view->model())) {
            for (int i = 0; i < texts.size() && i < model->columnCount(); ++i)
                model->setHeaderData(i, Qt::Horizontal, texts[i]);
        }
    }
}

void setComboTexts(QComboBox* combo, const QStringList& texts)
{
    QStringList current;
    for (int i = 0; i < combo->count(); ++i)
        current << combo->itemText(i);
    if (current == texts)
        return;
    const int selected = combo->currentIndex();
    const QSignalBlocker blocker(combo);
    combo->clear();
    combo->addItems(texts);
    combo->setCurrentIndex(selected < combo->count() ? selected : -1);
}

} // namespace

const StringTable& Strings()
{
    return TheStringTable();
}

QString ItemText(std::string_view section, int item)
{
    return QString::fromStdString(Strings().GetItemText(section, item));
}

QStringList ItemTexts(std::string_view section, int item)
{
    std::vector<std::string> texts;
    Strings().GetItemTexts(section, item, texts);
    return toList(texts);
}

QString KeyText(std::string_view section, std::string_view key)
{
    return QString::fromStdString(Strings().GetKeyText(section, key));
}

void ApplyDialogTexts(QWidget* window, std::string_view section, const StringTable& table)
{
    const auto children = window->findChildren<QWidget*>();
    for (QWidget* control : children) {
        const int id = ControlId(control);
        if (id <= 0)
            continue;
        std::vector<std::string> texts;
        table.GetItemTexts(section, id, texts);
        const QStringList list = toList(texts);
        const QString first = list.isEmpty() ? QString() : list.front();
        if (auto* combo = qobject_cast<QComboBox*>(control)) {
            setComboTexts(combo, list);
        } else if (qobject_cast<QAbstractItemView*>(control)) {
            setHeaderTexts(control, list);
        } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            button->setText(first);
        } else if (auto* label = qobject_cast<QLabel*>(control)) {
            if (label->pixmap().isNull())
                label->setText(first);
        } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
            group->setTitle(first);
        } else if (qobject_cast<QLineEdit*>(control) || qobject_cast<QPlainTextEdit*>(control) ||
                   qobject_cast<QAbstractSpinBox*>(control) || qobject_cast<QTabWidget*>(control)) {
            // Content controls keep what they show; tab labels are set by their owner.
        } else {
            control->setWindowTitle(first);
        }
    }
}

void ApplyTooltips(QWidget* window, std::string_view section)
{
    for (QWidget* child : window->findChildren<QWidget*>()) {
        const int id = ControlId(child);
        if (id <= 0)
            continue;
        QString tip = ItemText(section, kTooltipItemBase + id);
        if (tip.isEmpty()) {
            if (auto* button = qobject_cast<QAbstractButton*>(child); button && !button->icon().isNull())
                tip = button->text();
        }
        child->setToolTip(tip);
    }
}

} // namespace pellora::ui
