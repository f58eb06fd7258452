#pragma once

#include <QWidget>

class QTimer;
class QToolButton;

// A horizontal pair of arrow buttons stepping a bounded position. An arrow
// steps when pressed; holding it repeats the step.
class UpDown : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(int maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(int increment READ increment WRITE setIncrement)
    Q_PROPERTY(int position READ position WRITE setPosition)

public:
    static constexpr int RepeatDelay = 400;
    static constexpr int RepeatInterval = 50;

    explicit UpDown(QWidget *parent = nullptr);

    int minimum() const { return m_minimum; }
    void setMinimum(int value) { m_minimum = value; }
    int maximum() const { return m_maximum; }
    void setMaximum(int value) { m_maximum = value; }
    int increment() const { return m_increment; }
    void setIncrement(int value) { m_increment = value; }
    int position() const { return m_position; }
    // Clamped to the range.
    void setPosition(int value);

    QToolButton *leftArrow() const { return m_left; }
    QToolButton *rightArrow() const { return m_right; }

Q_SIGNALS:
    // After the position has moved by one increment (or stayed at its limit).
    void clicked(bool rightArrow);
    void pressed();
    void released();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void step(bool rightArrow);

    QToolButton *m_left;
    QToolButton *m_right;
    QTimer *m_repeat;
    QToolButton *m_held = nullptr;
    int m_minimum = 0;
    int m_maximum = 100;
    int m_increment = 1;
    int m_position = 0;
};
