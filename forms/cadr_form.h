#pragma once

#include <QDialog>
#include <QElapsedTimer>

#include <memory>

struct ProcessObjects;
class QTimer;

namespace Ui {
class Cadr;
}

// The flash window of the "25-й кадр" mode: a small always-on-top tool
// window that shows a new random word of the current dictionary with its
// meanings every 40 ms, at the position it had when it was last closed.
class TCadr : public QDialog
{
    Q_OBJECT

public:
    TCadr(ProcessObjects &objects, QWidget *owner);
    ~TCadr() override;

    // One word change; the timer calls it every 40 ms.
    void Timer1Timer();

Q_SIGNALS:
    // The window has closed and the main window takes over again.
    void handBack();

public Q_SLOTS:
    // Every way of closing goes through the closing below.
    void reject() override;

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FormActivate();
    void FormClose();
    // Where the frame's top-left corner belongs, for a frame that wide.
    QPoint frameTarget(int frameWidth);
    void placeUntilSettled();

    ProcessObjects &m_objects;
    std::unique_ptr<Ui::Cadr> m_ui;
    QTimer *m_timer;
    bool m_activated = false;
    // The corner position depends on the window's outer width, which is
    // known only once the window manager has framed the window.
    bool m_inCorner = false;
    bool m_settled = false;
    QElapsedTimer m_framedSince;
    static constexpr int SettleMs = 1500;
};
