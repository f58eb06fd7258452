// "Повторить сегодня" in the real main window: from each of its places the
// words due today become the one review dictionary, most at risk first,
// and it the current one; a dictionary the learner edited is left to them;
// with nothing due, a box says when.
#include "main_window_fixture.h"
#include "modal_answer.h"

#include "app/tray_routing.h"
#include "platform/tray_icon.h"
#include "dict/dict_library.h"
#include "forms/day_chart.h"
#include "forms/progress_form.h"
#include "progress/progress_store.h"

#include <QAction>
#include <QDateTime>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

void writeLines(const QString &path, const QStringList &lines)
{
    WordFile file(path);
    file.lines = lines;
    QCOMPARE(file.Save(), 1);
}

QStringList numbered(const QString &prefix, int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << u"%1%2,значение %2,"_s.arg(prefix).arg(i);
    return lines;
}

// Noon of the day so many days before today, local time.
qint64 daysAgo(int days)
{
    return QDateTime(QDate::currentDate().addDays(-days), QTime(12, 0)).toMSecsSinceEpoch();
}

void record(const QStringList &lines, AnswerKind kind, qint64 time)
{
    ProgressStore store;
    QCOMPARE(store.Open(ProgressStore::DefaultPath()), ProgressStore::OpenResult::Opened);
    for (const QString &line : lines) {
        const WordKey key = WordKey::FromLine(line);
        QVERIFY(store.Record({key.english, key.meanings, kind}, u"tom_0.wrd"_s, time));
    }
}

QString currentName(TForm1 &window)
{
    return QFileInfo(window.library()->file->path).fileName();
}

} // namespace

class TestReviewWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reviewFromEveryPlace()
    {
        MainWindowFixture f;
        const QStringList a = numbered(u"a"_s, 10);
        const QStringList b = numbered(u"b"_s, 8);
        writeLines(f.dictPath(0), a);
        writeLines(f.dictPath(1), b);
        // a0 to a5 forgotten and a6 recalled three days ago: all due, the
        // forgotten first. The b words were recalled today; a7 to a9 never
        // answered.
        record(a.mid(0, 6), AnswerKind::Wrong, daysAgo(3));
        record(a.mid(6, 1), AnswerKind::Right, daysAgo(3));
        record(b, AnswerKind::Right, daysAgo(0));
        const QStringList due = a.mid(0, 7);

        TForm1 &window = f.open();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.engine().BStartClick();
        QVERIFY(f.objects.state->gameState >= 1);

        // The game page's menu: the game stops, the review dictionary is
        // written under the lowest free number and is current.
        f.child<QMenu>("PopupMenu2")->findChild<QAction *>(u"NReview"_s)->trigger();
        QCOMPARE(f.objects.state->gameState, 0);
        QCOMPARE(currentName(window), u"tom_2.wrd"_s);
        QCOMPARE(window.library()->file->lines, due);
        QCOMPARE(f.messages,
                 QStringList{u"Информация|К повторению сегодня слов: 7.\nОни записаны в словарь tom_2.wrd, теперь он текущий."_s});
        QCOMPARE(window.trayIcon()->toolTip(), u"Lexomat\nК повторению: 7"_s);
        f.messages.clear();

        // "Успехи" counts the same and its button writes the same file over.
        QString dueCaption;
        QList<int> forecast;
        bool found = false;
        answerNextModal<TProgressForm>(
            [&](TProgressForm *form) {
                dueCaption = form->findChild<QLabel *>(u"LabelDue"_s)->text();
                forecast = form->findChild<DayChart *>(u"ForecastChart"_s)->counts();
                form->findChild<QPushButton *>(u"BReview"_s)->click();
            },
            &found);
        window.findChild<QAction *>(u"N14"_s)->trigger();
        QVERIFY(found);
        QCOMPARE(dueCaption, u"К повторению сегодня: 7 слов"_s);
        // Recalled today for the first time, the b words come back in three
        // days: a first Good outlasts a first Hard (two days).
        QCOMPARE(forecast.size(), 14);
        QCOMPARE(forecast.mid(0, 4), (QList<int>{0, 0, 8, 0}));
        QCOMPARE(currentName(window), u"tom_2.wrd"_s);
        QCOMPARE(window.library()->fileCount, 3);
        QCOMPARE(f.messages.size(), 1);
        f.messages.clear();

        // Edited by the learner, the review dictionary is theirs: the tray's
        // review saves it and writes a new one.
        window.library()->file->lines.append(u"mine,моё,"_s);
        window.library()->file->modified = 1;
        window.Perform(Requests::TrayCommand, Requests::CommandReview);
        QCOMPARE(currentName(window), u"tom_3.wrd"_s);
        QCOMPARE(window.library()->file->lines, due);
        QCOMPARE(WordFile(f.dictPath(2)).lines, QStringList(due) << u"mine,моё,"_s);
        f.messages.clear();

        // The list's menu on the dictionaries tab writes tom_3 over again.
        window.ShowDictionariesTab();
        f.child<QMenu>("PopupMenu1")->findChild<QAction *>(u"NReview"_s)->trigger();
        QCOMPARE(currentName(window), u"tom_3.wrd"_s);
        QCOMPARE(window.library()->fileCount, 4);
    }

    void nothingDue_data()
    {
        QTest::addColumn<bool>("answered");
        QTest::addColumn<QString>("message");
        const QString date = QDate::currentDate().addDays(3).toString(u"dd.MM.yyyy"_s);
        QTest::newRow("all recalled today") << true
                                            << u"Информация|Сегодня повторять нечего.\nСледующие слова к повторению (8) — "_s
                                                   + date + u"."_s;
        QTest::newRow("nothing answered")
            << false << u"Информация|Повторять пока нечего: в журнале успехов нет ответов на слова этой папки."_s;
    }

    void nothingDue()
    {
        QFETCH(bool, answered);
        QFETCH(QString, message);
        MainWindowFixture f;
        const QStringList b = numbered(u"b"_s, 8);
        writeLines(f.dictPath(0), b);
        if (answered)
            record(b, AnswerKind::Right, daysAgo(0));
        TForm1 &window = f.open();
        window.show();
        f.child<QMenu>("PopupMenu2")->findChild<QAction *>(u"NReview"_s)->trigger();
        QCOMPARE(f.messages, QStringList{message});
        QCOMPARE(currentName(window), u"tom_0.wrd"_s);
        QCOMPARE(window.library()->fileCount, 1);
    }
};

QTEST_MAIN(TestReviewWindow)
#include "tst_review_window.moc"
