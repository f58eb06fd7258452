#pragma once

#include <QFrame>

#include <array>

class QLabel;

// A status bar of four fixed-width panels side by side.
class StatusPanels : public QFrame
{
    Q_OBJECT

public:
    static constexpr int PanelCount = 4;

    explicit StatusPanels(QWidget *parent = nullptr);

    int panelWidth(int index) const;
    void setPanelWidth(int index, int width);
    QString panelText(int index) const;
    void setPanelText(int index, const QString &text);
    QLabel *panel(int index) const { return m_panels[static_cast<std::size_t>(index)]; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutPanels();

    std::array<QLabel *, PanelCount> m_panels{};
    std::array<int, PanelCount> m_widths{90, 0, 112, 120};
};
