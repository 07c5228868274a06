#include "tools/strings/StringsWindow.h"

#include "core/i18n/StringTable.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace pellora::strings {

namespace {

// Where a tree row keeps its section and item.
constexpr int kSectionRole = Qt::UserRole;
constexpr int kItemRole = Qt::UserRole + 1;
constexpr int kTextNumberRole = Qt::UserRole;

QString answerText(StringServiceClient::Answer answer)
{
    switch (answer) {
    case StringServiceClient::Answer::Answered:
        return QObject::tr("done");
    case StringServiceClient::Answer::TimedOut:
        return QObject::tr("no answer: the preview refused the command or is busy");
    case StringServiceClient::Answer::Disconnected:
        return QObject::tr("the preview is not running");
    case StringServiceClient::Answer::TooLong:
        return QObject::tr("the text is longer than a command can carry (1023 bytes)");
    }
    return {};
}

} // namespace

StringsWindow::StringsWindow(QString program, QWidget* parent)
    : QMainWindow(parent)
    , m_program(std::move(program))
    , m_tree(new QTreeWidget)
    , m_texts(new QListWidget)
    , m_text(new QLineEdit)
    , m_show(new QPushButton(tr("&Show in Preview")))
    , m_apply(new QPushButton(tr("&Apply Text")))
    , m_language(new QComboBox)
{
    setWindowTitle(tr("Pellora Strings"));
    m_tree->setHeaderLabels({tr("Section / item"), tr("Number")});
    m_tree->setColumnWidth(0, 260);
    auto* editor = new QWidget;
    auto* column = new QVBoxLayout(editor);
    column->addWidget(new QLabel(tr("Texts of the item:")));
    column->addWidget(m_texts, 1);
    column->addWidget(new QLabel(tr("Text (\\n a line break, \\t a tab):")));
    column->addWidget(m_text);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_show);
    buttons->addWidget(m_apply);
    buttons->addStretch();
    column->addLayout(buttons);
    auto* splitter = new QSplitter;
    splitter->addWidget(m_tree);
    splitter->addWidget(editor);
    splitter->setStretchFactor(1, 1);
    setCentralWidget(splitter);
    for (const LanguageInfo& language : kLanguages)
        m_language->addItem(QString::fromLatin1(language.name), language.id);
    buildActions();

    connect(m_tree, &QTreeWidget::currentItemChanged, this, &StringsWindow::showItemTexts);
    connect(m_texts, &QListWidget::currentRowChanged, this, &StringsWindow::showSelectedText);
    connect(m_show, &QPushButton::clicked, this, &StringsWindow::showInPreview);
    connect(m_apply, &QPushButton::clicked, this, &StringsWindow::applyText);
    connect(m_text, &QLineEdit::returnPressed, this, &StringsWindow::applyText);
    connect(m_language, &QComboBox::activated, this, &StringsWindow::switchLanguage);
    connect(&m_preview, &PreviewConnection::connectedChanged, this, [this](bool connected) {
        statusBar()->showMessage(connected ? tr("Connected to the preview.") : tr("No preview."));
        updateStates();
    });
    connect(&m_preview, &PreviewConnection::answered, this, &StringsWindow::report);
    connect(&m_preview, &PreviewConnection::programEnded, this, [this](int status) {
        statusBar()->showMessage(tr("The preview ended with status %1.").arg(status));
    });
    resize(900, 600);
    updateStates();
}

void StringsWindow::buildActions()
{
    QToolBar* bar = addToolBar(tr("Commands"));
    bar->setMovable(false);
    bar->addAction(tr("&Open..."), this, [this] {
        const QString file = QFileDialog::getOpenFileName(this, tr("Open a String Table Source"), QString(),
                                                          tr("String table sources (*.txt)"));
        if (!file.isEmpty())
            OpenSource(file);
    });
    m_save = bar->addAction(tr("&Save"), this, &StringsWindow::save);
    bar->addSeparator();
    m_start = bar->addAction(tr("Start &Preview"), this, [this] {
        QString error;
        if (!m_preview.Start(m_program, m_source.language(), error))
            QMessageBox::warning(this, windowTitle(), tr("The preview cannot start: %1").arg(error));
        else
            statusBar()->showMessage(tr("Starting the preview..."));
        updateStates();
    });
    m_attach = bar->addAction(tr("A&ttach"), this, [this] {
        QString error;
        if (!m_preview.Attach(error))
            QMessageBox::warning(this, windowTitle(), tr("No preview to attach to: %1").arg(error));
    });
    m_close = bar->addAction(tr("&Close Preview"), this, [this] { m_preview.Send(string_service::kClose, {}); });
    bar->addSeparator();
    bar->addWidget(new QLabel(tr(" Language: ")));
    bar->addWidget(m_language);
}

bool StringsWindow::OpenSource(const QString& file)
{
    const Status status = m_source.Open(std::filesystem::path(QFile::encodeName(file).toStdString()));
    if (!status.ok()) {
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(status.text()));
        return false;
    }
    fillTree();
    const int row = m_language->findData(m_source.language());
    if (row >= 0)
        m_language->setCurrentIndex(row);
    setWindowTitle(tr("Pellora Strings - %1").arg(file));
    updateStates();
    return true;
}

void StringsWindow::fillTree()
{
    m_tree->clear();
    for (std::size_t s = 0; s < m_source.sections().size(); ++s) {
        const StringSource::Section& section = m_source.sections()[s];
        auto* sectionRow = new QTreeWidgetItem(m_tree, {QString::fromStdString(section.name)});
        for (std::size_t i = 0; i < section.items.size(); ++i) {
            const StringSource::Item& item = section.items[i];
            auto* itemRow = new QTreeWidgetItem(sectionRow, {QString::fromStdString(item.key), QString::number(item.id)});
            itemRow->setData(0, kSectionRole, static_cast<int>(s));
            itemRow->setData(0, kItemRole, static_cast<int>(i));
        }
    }
}

void StringsWindow::showItemTexts()
{
    m_texts->clear();
    const QTreeWidgetItem* row = m_tree->currentItem();
    if (row != nullptr && row->data(0, kItemRole).isValid()) {
        const auto& item = m_source.sections()[row->data(0, kSectionRole).toUInt()].items[row->data(0, kItemRole).toUInt()];
        for (const std::uint32_t number : item.textNumbers) {
            auto* entry = new QListWidgetItem(QStringLiteral("%1: %2").arg(number).arg(QString::fromStdString(m_source.Text(number))),
                                              m_texts);
            entry->setData(kTextNumberRole, number);
        }
        m_texts->setCurrentRow(0);
    }
    showSelectedText();
}

void StringsWindow::showSelectedText()
{
    const QListWidgetItem* entry = m_texts->currentItem();
    m_text->setText(entry != nullptr ? QString::fromStdString(m_source.Text(entry->data(kTextNumberRole).toUInt())) : QString());
    updateStates();
}

bool StringsWindow::chosenRecord(StringServiceRecord& record) const
{
    const QTreeWidgetItem* row = m_tree->currentItem();
    if (row == nullptr || !row->data(0, kItemRole).isValid())
        return false;
    const StringSource::Section& section = m_source.sections()[row->data(0, kSectionRole).toUInt()];
    const StringSource::Item& item = section.items[row->data(0, kItemRole).toUInt()];
    record.section = section.name;
    record.identifier = item.id;
    const QListWidgetItem* entry = m_texts->currentItem();
    record.textNumber = entry != nullptr ? static_cast<std::int32_t>(entry->data(kTextNumberRole).toUInt()) : 0;
    record.text = m_text->text().toStdString();
    return true;
}

void StringsWindow::showInPreview()
{
    StringServiceRecord record;
    if (chosenRecord(record) && m_preview.Send(string_service::kShowAndFlash, record))
        updateStates();
}

void StringsWindow::applyText()
{
    StringServiceRecord record;
    if (!chosenRecord(record) || m_texts->currentItem() == nullptr)
        return;
    m_source.SetText(static_cast<std::uint32_t>(record.textNumber), record.text);
    m_texts->currentItem()->setText(QStringLiteral("%1: %2").arg(record.textNumber).arg(m_text->text()));
    if (m_preview.Connected())
        m_showAfterApply = m_preview.Send(string_service::kReplaceText, record);
    updateStates();
}

void StringsWindow::switchLanguage(int row)
{
    StringServiceRecord record;
    record.language = static_cast<std::uint16_t>(m_language->itemData(row).toUInt());
    m_preview.Send(string_service::kSwitchLanguage, record);
    updateStates();
}

void StringsWindow::report(quint32 command, StringServiceClient::Answer answer)
{
    statusBar()->showMessage(tr("Command %1: %2").arg(command).arg(answerText(answer)));
    if (command == string_service::kReplaceText && m_showAfterApply) {
        m_showAfterApply = false;
        showInPreview();
    }
    updateStates();
}

void StringsWindow::save()
{
    const Status status = m_source.Save();
    if (!status.ok())
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(status.text()));
    else
        statusBar()->showMessage(tr("Saved."));
    updateStates();
}

void StringsWindow::updateStates()
{
    const bool ready = m_preview.Connected() && !m_preview.Busy();
    m_show->setEnabled(ready && m_tree->currentItem() != nullptr && m_tree->currentItem()->data(0, kItemRole).isValid());
    m_apply->setEnabled(m_texts->currentItem() != nullptr);
    m_language->setEnabled(ready);
    m_close->setEnabled(ready);
    m_start->setEnabled(!m_preview.Connected() && !m_source.files().empty());
    m_attach->setEnabled(!m_preview.Connected());
    m_save->setEnabled(m_source.modified());
}

void StringsWindow::closeEvent(QCloseEvent* event)
{
    if (m_source.modified()) {
        const auto answer = QMessageBox::question(this, windowTitle(), tr("Save the changed texts?"),
                                                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
        if (answer == QMessageBox::Cancel || (answer == QMessageBox::Save && !m_source.Save().ok())) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

} // namespace pellora::strings
