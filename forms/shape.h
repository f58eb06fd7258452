#pragma once

#include <QColor>
#include <QWidget>

// A filled shape with a border: the game board's rounded background.
class Shape : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QColor brushColor READ brushColor WRITE setBrushColor)
    Q_PROPERTY(int penWidth READ penWidth WRITE setPenWidth)
    Q_PROPERTY(bool rounded READ rounded WRITE setRounded)

public:
    explicit Shape(QWidget *parent = nullptr);

    QColor brushColor() const { return m_brush; }
    void setBrushColor(const QColor &colour);
    int penWidth() const { return m_penWidth; }
    void setPenWidth(int width);
    bool rounded() const { return m_rounded; }
    void setRounded(bool rounded);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_brush = Qt::white;
    int m_penWidth = 1;
    bool m_rounded = false;
};
