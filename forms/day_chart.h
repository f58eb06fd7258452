#pragma once

#include <QList>
#include <QWidget>

// A small bar chart of counts per day, each bar scaled to the busiest day:
// answers of past days with today on the right, marked, or words due on the
// days to come.
class DayChart : public QWidget
{
    Q_OBJECT

public:
    explicit DayChart(QWidget *parent = nullptr);

    void setCounts(const QList<int> &counts);
    const QList<int> &counts() const { return m_counts; }
    // Whether the last day is today and painted apart (so by default).
    void setTodayLast(bool todayLast) { m_todayLast = todayLast; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<int> m_counts;
    bool m_todayLast = true;
};
