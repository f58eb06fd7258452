#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

// Answers the next modal dialog from inside its own event loop: polls until
// a modal widget of type Dialog is active, hands it to answer (which must
// close it), and gives up after about two seconds, closing whatever modal
// widget is open so that a test never hangs. found, when given, tells
// whether the dialog showed up.
template <typename Dialog>
void answerNextModal(std::function<void(Dialog *)> answer, bool *found = nullptr)
{
    if (found)
        *found = false;
    auto *timer = new QTimer(qApp);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, tries, answer, found] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *dialog = qobject_cast<Dialog *>(modal)) {
            timer->deleteLater();
            timer->stop();
            if (found)
                *found = true;
            answer(dialog);
        } else if (++*tries > 200) {
            timer->deleteLater();
            timer->stop();
            if (modal)
                modal->close();
        }
    });
    timer->start(10);
}
