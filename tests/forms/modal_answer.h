#pragma once

#include <QApplication>
#include <QByteArray>
#include <QDeadlineTimer>
#include <QPointer>
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
// answered. Only once the deadline has passed does the answer give up: it
// then closes every modal widget that is open or opens later until the
// dialog is answered and gone, so that exec() returns and the test fails
// (found left false, or the answer not taken) instead of hanging. An answer
// not taken by the end of the test function (row included) that prepared
// it is dropped, so it never meets a later test's dialog.
template <typename Dialog>
void answerNextModal(std::function<void(Dialog *)> answer, bool *found = nullptr)
{
    if (found)
        *found = false;
    auto *timer = new QTimer(qApp);
    timer->setObjectName(ModalAnswerName);
    const QDeadlineTimer deadline(ModalAnswerDeadlineMs);
    const QByteArray test = currentTestName();
    QObject::connect(timer, &QTimer::timeout, timer,
                     [timer, deadline, test, answer, found, given = false, answered = QPointer<Dialog>()]() mutable {
        const auto done = [timer] {
            timer->stop();
            timer->deleteLater();
        };
        if (currentTestName() != test)
            return done();
        QWidget *modal = QApplication::activeModalWidget();
        if (given) {
            // An answer the dialog did not take leaves it open.
            if (!answered || !answered->isVisible())
                return done();
            if (modal && deadline.hasExpired())
                modal->close();
            return;
        }
        if (auto *dialog = qobject_cast<Dialog *>(modal)) {
            if (found)
                *found = true;
            given = true;
            answered = dialog;
            answer(dialog);
            if (!dialog->isVisible())
                done();
        } else if (modal && deadline.hasExpired()) {
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
