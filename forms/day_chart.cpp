#include "forms/day_chart.h"

#include <QPainter>

#include <algorithm>

namespace {

const QColor BarBlue(0, 0, 255);
const QColor TodayYellow(255, 255, 0);
const QColor Axis(128, 128, 128);

} // namespace

DayChart::DayChart(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void DayChart::setCounts(const QList<int> &counts)
{
    m_counts = counts;
    update();
}

void DayChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect area = rect();
    painter.fillRect(area, Qt::white);
    painter.setPen(Axis);
    painter.drawRect(area.adjusted(0, 0, -1, -1));

    const qsizetype days = m_counts.size();
    const int busiest = days ? *std::max_element(m_counts.cbegin(), m_counts.cend()) : 0;
    const QRect plot = area.adjusted(3, 3, -3, -3);
    if (days == 0 || plot.width() <= 0)
        return;
    const double slot = double(plot.width()) / double(days);
    for (qsizetype day = 0; day < days; ++day) {
        const int count = m_counts[day];
        const int left = plot.left() + int(day * slot);
        const int right = plot.left() + int((day + 1) * slot) - 2;
        // A day with answers always shows at least a sliver.
        const int height = busiest > 0 && count > 0 ? std::max(2, int(double(count) * plot.height() / busiest)) : 0;
        if (height == 0)
            continue;
        const QRect bar(QPoint(left, plot.bottom() - height + 1), QPoint(std::max(left, right), plot.bottom()));
        const bool today = m_todayLast && day == days - 1;
        painter.fillRect(bar, today ? TodayYellow : BarBlue);
        if (today) {
            painter.setPen(BarBlue);
            painter.drawRect(bar.adjusted(0, 0, -1, -1));
        }
    }
}
