#pragma once

// The small controls of the option dialogs that the widget set lacks: the up-down arrows beside a number
// field, the owner-drawn lock toggle and the clickable colour swatch.

#include <QAbstractButton>
#include <QColor>
#include <QFrame>
#include <QLineEdit>
#include <QPointer>

#include <cstdint>

class QToolButton;

namespace pellora::ui {

// Up and down arrows that step the number of a buddy field within a range.
class CUpDownControl : public QWidget {
    Q_OBJECT
public:
    explicit CUpDownControl(QWidget* parent = nullptr);

    void SetBuddy(QLineEdit* buddy) { m_buddy = buddy; }
    void SetRange(int minimum, int maximum);
    int Minimum() const { return m_minimum; }
    int Maximum() const { return m_maximum; }
    // One step up (+1) or down (-1) from the buddy's number (or the last position when it holds none),
    // kept within the range, written back to the buddy.
    void Step(int direction);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QPointer<QLineEdit> m_buddy;
    QToolButton* m_up;
    QToolButton* m_down;
    int m_minimum = 0;
    int m_maximum = 100;
    int m_position = 0;
};

// A small button drawn as a padlock, closed while on. Clicks do not change it: its owner decides.
class CLockToggle : public QAbstractButton {
    Q_OBJECT
public:
    explicit CLockToggle(QWidget* parent = nullptr);

    bool IsOn() const { return m_on; }
    void SetOn(bool on);
    QSize sizeHint() const override { return {20, 20}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_on = false;
};

// A rectangle of one colour that reports left clicks.
class CColourSwatch : public QFrame {
    Q_OBJECT
public:
    explicit CColourSwatch(QWidget* parent = nullptr);

    // A colour in the platform's notation: red in the low byte, then green and blue.
    void SetColour(std::uint32_t colourRef);
    QColor Colour() const { return m_colour; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QColor m_colour;
};

} // namespace pellora::ui
