#pragma once

// An IPv4 address field of four number boxes, the way administrators know it from the system's dialogs:
// typing a dot or the third digit moves on, Backspace at the start of a box moves back.

#include <QWidget>

#include <array>
#include <cstdint>

class QLineEdit;

namespace pellora::ui {

class Ipv4AddressEdit : public QWidget {
    Q_OBJECT

public:
    explicit Ipv4AddressEdit(QWidget* parent = nullptr);

    // The address in host byte order, the first box in the top byte; an empty box reads as 0.
    std::uint32_t Address() const;
    void SetAddress(std::uint32_t address);
    // "a.b.c.d"; anything else clears the boxes.
    void SetText(const QString& text);
    QString Text() const;
    void Clear();
    // Every box holds a number.
    bool IsComplete() const;
    bool IsBlank() const;

    QLineEdit* Box(int index) const { return m_boxes[static_cast<std::size_t>(index)]; }

signals:
    void addressChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onEdited(int index);
    void focusBox(int index, bool atEnd);

    std::array<QLineEdit*, 4> m_boxes{};
};

} // namespace pellora::ui
