#include "forms/status_panels.h"

#include <QLabel>

StatusPanels::StatusPanels(QWidget *parent)
    : QFrame(parent)
{
    for (int i = 0; i < PanelCount; ++i) {
        auto *label = new QLabel(this);
        label->setObjectName(QStringLiteral("panel%1").arg(i));
        label->setAlignment(Qt::AlignCenter);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setAutoFillBackground(true);
        m_panels[static_cast<std::size_t>(i)] = label;
    }
    layoutPanels();
}

int StatusPanels::panelWidth(int index) const
{
    return m_widths[static_cast<std::size_t>(index)];
}

void StatusPanels::setPanelWidth(int index, int width)
{
    m_widths[static_cast<std::size_t>(index)] = width;
    layoutPanels();
}

QString StatusPanels::panelText(int index) const
{
    return panel(index)->text();
}

void StatusPanels::setPanelText(int index, const QString &text)
{
    panel(index)->setText(text);
}

void StatusPanels::resizeEvent(QResizeEvent *)
{
    layoutPanels();
}

void StatusPanels::layoutPanels()
{
    // Panels sit left to right at their widths; the last one takes what is
    // left, as a status bar's last panel does.
    int x = 0;
    for (int i = 0; i < PanelCount; ++i) {
        QLabel *label = panel(i);
        const int w = i == PanelCount - 1 ? std::max(width() - x, m_widths[3]) : m_widths[static_cast<std::size_t>(i)];
        label->setGeometry(x, 0, w, height());
        label->setVisible(w > 0);
        x += w;
    }
}
