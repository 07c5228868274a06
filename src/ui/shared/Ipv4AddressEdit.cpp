#include "ui/shared/Ipv4AddressEdit.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace pellora::ui {

Ipv4AddressEdit::Ipv4AddressEdit(QWidget* parent)
    : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setFocusPolicy(Qt::StrongFocus);
    for (int i = 0; i < 4; ++i) {
        if (i > 0)
            layout->addWidget(new QLabel(QStringLiteral("."), this));
        auto* box = new QLineEdit(this);
        box->setAlignment(Qt::AlignCenter);
        box->setMaxLength(3);
        box->setValidator(new QIntValidator(0, 255, box));
        box->installEventFilter(this);
        layout->addWidget(box, 1);
        connect(box, &QLineEdit::textEdited, this, [this, i] { onEdited(i); });
        connect(box, &QLineEdit::textChanged, this, &Ipv4AddressEdit::addressChanged);
        m_boxes[static_cast<std::size_t>(i)] = box;
    }
    setFocusProxy(m_boxes[0]);
}

std::uint32_t Ipv4AddressEdit::Address() const
{
    std::uint32_t address = 0;
    for (const QLineEdit* box : m_boxes)
        address = address << 8 | static_cast<std::uint32_t>(box->text().toUInt() & 0xFF);
    return address;
}

void Ipv4AddressEdit::SetAddress(std::uint32_t address)
{
    for (int i = 0; i < 4; ++i)
        m_boxes[static_cast<std::size_t>(i)]->setText(QString::number((address >> (24 - 8 * i)) & 0xFF));
}

void Ipv4AddressEdit::SetText(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    bool valid = parts.size() == 4;
    for (int i = 0; valid && i < 4; ++i) {
        bool ok = false;
        const uint value = parts[i].toUInt(&ok);
        valid = ok && value <= 255 && !parts[i].isEmpty() && parts[i].size() <= 3;
    }
    for (int i = 0; i < 4; ++i)
        m_boxes[static_cast<std::size_t>(i)]->setText(valid ? QString::number(parts[i].toUInt()) : QString());
}

QString Ipv4AddressEdit::Text() const
{
    QStringList parts;
    for (const QLineEdit* box : m_boxes)
        parts << box->text();
    return IsBlank() ? QString() : parts.join(QLatin1Char('.'));
}

void Ipv4AddressEdit::Clear()
{
    for (QLineEdit* box : m_boxes)
        box->clear();
}

bool Ipv4AddressEdit::IsComplete() const
{
    for (const QLineEdit* box : m_boxes) {
        if (box->text().isEmpty())
            return false;
    }
    return true;
}

bool Ipv4AddressEdit::IsBlank() const
{
    for (const QLineEdit* box : m_boxes) {
        if (!box->text().isEmpty())
            return false;
    }
    return true;
}

void Ipv4AddressEdit::onEdited(int index)
{
    // A box that cannot take another digit passes the typing on to the next one.
    if (index < 3 && m_boxes[static_cast<std::size_t>(index)]->text().size() == 3)
        focusBox(index + 1, false);
}

void Ipv4AddressEdit::focusBox(int index, bool atEnd)
{
    QLineEdit* box = m_boxes[static_cast<std::size_t>(index)];
    box->setFocus();
    if (atEnd)
        box->end(false);
    else
        box->selectAll();
}

bool Ipv4AddressEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    int index = -1;
    for (int i = 0; i < 4; ++i) {
        if (m_boxes[static_cast<std::size_t>(i)] == watched)
            index = i;
    }
    if (index < 0)
        return QWidget::eventFilter(watched, event);
    const QLineEdit* box = m_boxes[static_cast<std::size_t>(index)];
    if (key->text() == QStringLiteral(".") || key->key() == Qt::Key_Space) {
        if (index < 3 && !box->text().isEmpty())
            focusBox(index + 1, false);
        return true;
    }
    if (key->key() == Qt::Key_Backspace && box->cursorPosition() == 0 && !box->hasSelectedText() && index > 0) {
        focusBox(index - 1, true);
        return true;
    }
    if (key->key() == Qt::Key_Right && box->cursorPosition() == box->text().size() && index < 3) {
        focusBox(index + 1, false);
        return true;
    }
    if (key->key() == Qt::Key_Left && box->cursorPosition() == 0 && index > 0) {
        focusBox(index - 1, true);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace pellora::ui
