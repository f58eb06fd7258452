#include "forms/up_down.h"

#include <QToolButton>

#include <algorithm>

UpDown::UpDown(QWidget *parent)
    : QWidget(parent)
    , m_left(new QToolButton(this))
    , m_right(new QToolButton(this))
{
    m_left->setObjectName(QStringLiteral("left"));
    m_right->setObjectName(QStringLiteral("right"));
    m_left->setArrowType(Qt::LeftArrow);
    m_right->setArrowType(Qt::RightArrow);
    for (QToolButton *arrow : {m_left, m_right}) {
        arrow->setAutoRepeat(true);
        arrow->setAutoRepeatDelay(400);
        arrow->setAutoRepeatInterval(50);
        arrow->setFocusPolicy(Qt::NoFocus);
        connect(arrow, &QToolButton::pressed, this, &UpDown::pressed);
        connect(arrow, &QToolButton::released, this, [this, arrow] {
            // Auto-repeat sends released/pressed pairs while the arrow is held;
            // only the real release counts.
            if (!arrow->isDown())
                Q_EMIT released();
        });
    }
    connect(m_left, &QToolButton::clicked, this, [this] { step(false); });
    connect(m_right, &QToolButton::clicked, this, [this] { step(true); });
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
