#include "forms/up_down.h"

#include <QTimer>
#include <QToolButton>

#include <algorithm>

UpDown::UpDown(QWidget *parent)
    : QWidget(parent)
    , m_left(new QToolButton(this))
    , m_right(new QToolButton(this))
    , m_repeat(new QTimer(this))
{
    m_left->setObjectName(QStringLiteral("left"));
    m_right->setObjectName(QStringLiteral("right"));
    m_left->setArrowType(Qt::LeftArrow);
    m_right->setArrowType(Qt::RightArrow);
    // An arrow steps when it is pressed and again and again while it is held
    // down under the pointer, after the usual delay; its release does
    // nothing more.
    for (QToolButton *arrow : {m_left, m_right}) {
        arrow->setFocusPolicy(Qt::NoFocus);
        connect(arrow, &QToolButton::pressed, this, [this, arrow] {
            m_held = arrow;
            Q_EMIT pressed();
            step(arrow == m_right);
            m_repeat->start(RepeatDelay);
        });
        connect(arrow, &QToolButton::released, this, [this] {
            m_repeat->stop();
            m_held = nullptr;
            Q_EMIT released();
        });
    }
    connect(m_repeat, &QTimer::timeout, this, [this] {
        m_repeat->setInterval(RepeatInterval);
        if (m_held && m_held->isDown())
            step(m_held == m_right);
    });
}

void UpDown::setPosition(int value)
{
    m_position = std::clamp(value, m_minimum, m_maximum);
}

void UpDown::step(bool rightArrow)
{
    setPosition(m_position + (rightArrow ? m_increment : -m_increment));
    Q_EMIT clicked(rightArrow);
}

void UpDown::resizeEvent(QResizeEvent *)
{
    const int half = width() / 2;
    m_left->setGeometry(0, 0, half, height());
    m_right->setGeometry(half, 0, width() - half, height());
}
