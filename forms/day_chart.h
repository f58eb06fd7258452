#pragma once

#include <QList>
#include <QWidget>

// A small bar chart of answers per day, oldest day on the left, today on the
// right, each bar scaled to the busiest day.
class DayChart : public QWidget
{
    Q_OBJECT

public:
    explicit DayChart(QWidget *parent = nullptr);

    void setCounts(const QList<int> &counts);
    const QList<int> &counts() const { return m_counts; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<int> m_counts;
};
