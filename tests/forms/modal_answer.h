#pragma once

#include <QApplication>
#include <QByteArray>
#include <QDeadlineTimer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

// Pending answers are timers of the application with this name.
inline const QString ModalAnswerName = QStringLiteral("modalAnswer");

// How long a dialog may take to come up. A busy machine can take seconds
// to build a file dialog; the deadline stays well inside a test's timeout.
constexpr int ModalAnswerDeadlineMs = 30000;

inline QByteArray currentTestName()
{
    return QByteArray(QTest::currentTestFunction()) + '/' + QTest::currentDataTag();
}

// Answers the next modal dialog of type Dialog from inside its own event
// loop: polls until that dialog is the active modal widget and hands it to
// answer (which must close it). A dialog that is slow to come up is still
// answered; only once the deadline has passed does the answer give up, and
// then it closes the first modal widget that is open or opens later, so that
// its exec() returns and the test fails on found (left false) instead of
// hanging. An answer not taken by the end of the test function (row
// included) that prepared it is dropped, so it never meets a later test's
// dialog.
template <typename Dialog>
void answerNextModal(std::function<void(Dialog *)> answer, bool *found = nullptr)
{
    if (found)
        *found = false;
    auto *timer = new QTimer(qApp);
    timer->setObjectName(ModalAnswerName);
    const QDeadlineTimer deadline(ModalAnswerDeadlineMs);
    const QByteArray test = currentTestName();
    QObject::connect(timer, &QTimer::timeout, timer, [timer, deadline, test, answer, found] {
        if (currentTestName() != test) {
            timer->stop();
            timer->deleteLater();
            return;
        }
        QWidget *modal = QApplication::activeModalWidget();
        auto *dialog = qobject_cast<Dialog *>(modal);
        if (!dialog && !(modal && deadline.hasExpired()))
            return;
        timer->stop();
        timer->deleteLater();
        if (dialog) {
            if (found)
                *found = true;
            answer(dialog);
        } else {
            modal->close();
        }
    });
    timer->start(10);
}

// Withdraws every answer still waiting, for a test that has seen that the
// dialog it prepared for did not open (a dialog that opens runs its exec()
// at once, so it would have been answered before the call that opens it
// returned).
inline void cancelModalAnswers()
{
    const QList<QTimer *> pending = qApp->findChildren<QTimer *>(ModalAnswerName, Qt::FindDirectChildrenOnly);
    for (QTimer *timer : pending) {
        timer->stop();
        timer->deleteLater();
    }
}
