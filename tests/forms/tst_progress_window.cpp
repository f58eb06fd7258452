// The record of answers in the real main window: what a game leaves in it,
// what "Успехи" shows of it after a restart, the drill dictionary, a large
// record, and a record that is damaged or cannot be opened.
#include "main_window_fixture.h"
#include "modal_answer.h"

#include "app/tray_routing.h"
#include "dict/dict_library.h"
#include "dict/random.h"
#include "forms/day_chart.h"
#include "forms/progress_form.h"
#include "progress/progress_store.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <numeric>

using namespace Qt::StringLiterals;

namespace {

QLabel *boardLabel(MainWindowFixture &f, int column, int row)
{
    return f.child<QLabel>(column == 0 ? QByteArray("Label" + QByteArray::number(row + 1)).constData()
                                       : QByteArray("Label" + QByteArray::number(row + 9)).constData());
}

QString activeWord(MainWindowFixture &f)
{
    return boardLabel(f, 0, f.objects.state->activeSlot)->text();
}

// The meaning row of the active word, or another row for a wrong answer.
int meaningRow(MainWindowFixture &f, bool right)
{
    const PRG_STAT &st = *f.objects.state;
    for (int row = 0; row < 6; ++row) {
        const bool isRight = st.slots[static_cast<std::size_t>(row)].meaningOf == st.activeSlot;
        if (isRight == right && boardLabel(f, 1, row)->isVisible())
            return row;
    }
    return -1;
}

QString board(MainWindowFixture &f)
{
    QStringList rows;
    for (int row = 0; row < 6; ++row)
        rows << boardLabel(f, 0, row)->text() + u'|' + boardLabel(f, 1, row)->text().replace(u'\n', u'/');
    return rows.join(u' ') + u" *"_s + QString::number(f.objects.state->activeSlot);
}

struct Shown
{
    int values[2][3] = {};
    int maxima[2] = {};
    QList<int> days;
    QStringList hardWords;
    QStringList captions;
    bool drillEnabled = false;
};

// Reads what the window shows, then closes it with the button named.
std::function<void(TProgressForm *)> readAndClose(Shown &shown, const char *button)
{
    return [&shown, button](TProgressForm *form) {
        const char *scopes[] = {"Current", "Folder"};
        const char *stages[] = {"New", "Learning", "Learnt"};
        for (int s = 0; s < 2; ++s) {
            for (int t = 0; t < 3; ++t) {
                auto *bar = form->findChild<QProgressBar *>(QLatin1String(scopes[s]) + QLatin1String(stages[t]));
                shown.values[s][t] = bar->value();
                shown.maxima[s] = bar->maximum();
            }
        }
        shown.days = form->findChild<DayChart *>(u"DayChart1"_s)->counts();
        const QTreeWidget *list = form->findChild<QTreeWidget *>(u"ListHard"_s);
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            shown.hardWords << list->topLevelItem(i)->text(0);
        for (const char *name : {"LabelCurrent", "LabelFolder", "LabelDays", "LabelHard"})
            shown.captions << form->findChild<QLabel *>(QLatin1String(name))->text();
        auto *drill = form->findChild<QPushButton *>(u"BDrill"_s);
        shown.drillEnabled = drill->isEnabled();
        form->findChild<QPushButton *>(QLatin1String(button))->click();
    };
}

void writeLines(const QString &path, const QStringList &lines)
{
    WordFile file(path);
    file.lines = lines;
    QCOMPARE(file.Save(), 1);
}

AnswerEvent outcomeOf(const QString &line, AnswerKind kind)
{
    const WordKey key = WordKey::FromLine(line);
    return {key.english, key.meanings, kind};
}

} // namespace

class TestProgressWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        Clock::setSource([] { return qint64(1700000000); });
    }
    void cleanup() { Clock::setSource({}); }

    // A learner plays, closes Lexomat, starts it again and sees in "Успехи"
    // what they answered.
    void answersSurviveARestart()
    {
        MainWindowFixture f;
        f.writeDictionary(0, 10);
        f.writeDictionary(1, 8, u"x"_s);
        QStringList right, wrong, unanswered, hinted;
        {
            TForm1 &window = f.open();
            window.show();
            QTest::mouseClick(f.child<QPushButton>("BStart"), Qt::LeftButton);
            right << activeWord(f);
            QTest::mouseClick(boardLabel(f, 1, meaningRow(f, true)), Qt::LeftButton);
            wrong << activeWord(f);
            QTest::mouseClick(boardLabel(f, 1, meaningRow(f, false)), Qt::LeftButton);
            unanswered << activeWord(f);
            QTest::mouseClick(f.child<QPushButton>("Button3"), Qt::LeftButton);
            hinted << activeWord(f);
            QTest::mouseClick(f.child<QPushButton>("Button4"), Qt::LeftButton);
            QTest::mouseClick(boardLabel(f, 1, meaningRow(f, true)), Qt::LeftButton);
            // The turn on the board when the game stops is not counted.
            QTest::mouseClick(f.child<QPushButton>("BStart"), Qt::LeftButton);
            window.close();
            f.window.reset();
        }
        {
            ProgressStore record;
            QCOMPARE(record.Open(ProgressStore::DefaultPath(), ProgressStore::Mode::Read),
                     ProgressStore::OpenResult::Opened);
            QCOMPARE(record.AnswerCount(), 4);
            const ProgressMap words = record.Words();
            const auto word = [](const QString &english) {
                return WordKey{english, {u"m"_s + english, QString(), QString()}};
            };
            QCOMPARE(words.value(word(right[0])).right, 1);
            QCOMPARE(words.value(word(wrong[0])).wrong, 1);
            QCOMPARE(words.value(word(unanswered[0])).unanswered, 1);
            QCOMPARE(words.value(word(hinted[0])).hints, 1);
            QCOMPARE(words.value(word(hinted[0])).right, 0);
        }

        TForm1 &window = f.open();
        window.show();
        Shown shown;
        bool found = false;
        answerNextModal<TProgressForm>(readAndClose(shown, "BClose"), &found);
        window.findChild<QAction *>(u"N14"_s)->trigger();
        QVERIFY(found);
        QCOMPARE(shown.values[0][0], 6);
        QCOMPARE(shown.values[0][1], 4);
        QCOMPARE(shown.values[0][2], 0);
        QCOMPARE(shown.maxima[0], 10);
        QCOMPARE(shown.values[1][0], 14);
        QCOMPARE(shown.values[1][1], 4);
        QCOMPARE(shown.maxima[1], 18);
        QCOMPARE(shown.days.size(), 30);
        QCOMPARE(shown.days.last(), 4);
        QCOMPARE(std::accumulate(shown.days.cbegin(), shown.days.cend(), 0), 4);
        // Missed first, in the folder's order; the hinted word after them.
        QCOMPARE(shown.hardWords.size(), 3);
        QCOMPARE(QSet<QString>(shown.hardWords.cbegin(), shown.hardWords.cbegin() + 2),
                 (QSet<QString>{wrong[0], unanswered[0]}));
        QCOMPARE(shown.hardWords[2], hinted[0]);
        QVERIFY2(shown.captions[0].contains(u"tom_0.wrd"_s), qPrintable(shown.captions[0]));
        QVERIFY2(shown.captions[1].contains(u"2 словаря, 18 слов"_s), qPrintable(shown.captions[1]));
        QVERIFY2(shown.captions[2].contains(u": 4, сегодня 4"_s), qPrintable(shown.captions[2]));
        QVERIFY(!shown.drillEnabled);
        QVERIFY(f.messages.isEmpty());
    }

    // Recording, or failing to record, leaves every deal and turn as it was.
    void sameGameWithAndWithoutARecord()
    {
        QStringList boards[2];
        for (int pass = 0; pass < 2; ++pass) {
            MainWindowFixture f;
            f.writeDictionary(0, 9);
            f.writeDictionary(1, 7, u"x"_s);
            if (pass == 1) {
                // The record's folder would have to be made inside a file.
                const QString blocker = QFileInfo(f.dictPath(0)).absolutePath() + u"/../blocker"_s;
                QFile(blocker).open(QIODevice::WriteOnly);
                qputenv("XDG_DATA_HOME", (blocker + u"/data"_s).toLocal8Bit());
            }
            TForm1 &window = f.open();
            window.show();
            f.objects.state->timerOn = 0;
            window.OpenProgressRecord();
            QCOMPARE(window.progressRecord() != nullptr, pass == 0);
            window.engine().BStartClick();
            for (int step = 0; step < 60; ++step) {
                switch (step % 4) {
                case 0: window.engine().OnLabelClick(meaningRow(f, true)); break;
                case 1: window.engine().OnLabelClick(meaningRow(f, false)); break;
                case 2: window.engine().N11Click(); window.engine().OnLabelClick(meaningRow(f, true)); break;
                default: window.engine().N13Click(); break;
                }
                boards[pass] << board(f);
            }
            if (pass == 0) {
                QCOMPARE(window.progressRecord()->AnswerCount(), 60);
                QVERIFY(f.messages.isEmpty());
            } else {
                QTRY_COMPARE(f.messages.size(), 1);
                QVERIFY2(f.messages[0].startsWith(u"Информация|Не удалось открыть журнал успехов"_s),
                         qPrintable(f.messages[0]));
                QVERIFY(f.messages[0].contains(u"ответы не записываются"_s));
            }
        }
        QCOMPARE(boards[1], boards[0]);
    }

    // "Составить словарь": the hardest words go into the next free tom_<n>.wrd,
    // which becomes the current dictionary, after the current one is saved.
    void drillDictionaryBecomesCurrent()
    {
        MainWindowFixture f;
        QStringList lines;
        const QStringList meanings{u"кот"_s, u"пёс"_s, u"сова"_s, u"лиса"_s, u"волк"_s, u"лось"_s, u"як"_s,
                                   u"ёж"_s, u"рысь"_s, u"бобр"_s};
        for (int i = 0; i < 10; ++i)
            lines << u"animal%1,%2,зверь,"_s.arg(i).arg(meanings[i]);
        writeLines(f.dictPath(0), lines);
        f.writeDictionary(1, 8, u"x"_s);
        f.writeDictionary(3, 8, u"y"_s);
        {
            ProgressStore record;
            QCOMPARE(record.Open(ProgressStore::DefaultPath()), ProgressStore::OpenResult::Opened);
            // Words 2 to 9 missed, word 9 most often; word 0 learnt, word 1 never missed.
            for (int i = 2; i < 10; ++i) {
                for (int n = 0; n < (i == 9 ? 3 : 1); ++n)
                    QVERIFY(record.Record(outcomeOf(lines[i], AnswerKind::Wrong), u"tom_0.wrd"_s, 1000 + n));
            }
            for (int n = 0; n < 4; ++n)
                QVERIFY(record.Record(outcomeOf(lines[0], AnswerKind::Right), u"tom_0.wrd"_s, 2000 + n));
            QVERIFY(record.Record(outcomeOf(lines[1], AnswerKind::Right), u"tom_0.wrd"_s, 3000));
        }

        TForm1 &window = f.open();
        window.show();
        window.ShowDictionariesTab();
        // An edit not yet saved: the library's replacement must save it.
        window.library()->file->lines.append(u"edited,правка,"_s);
        window.library()->file->modified = 1;

        Shown shown;
        bool found = false;
        answerNextModal<TProgressForm>(readAndClose(shown, "BDrill"), &found);
        window.findChild<QAction *>(u"N15"_s)->trigger();
        QVERIFY(found);
        QVERIFY(shown.drillEnabled);
        QCOMPARE(shown.hardWords.first(), u"animal9"_s);

        const QString drill = QFileInfo(f.dictPath(2)).absoluteFilePath();
        QCOMPARE(QFileInfo(window.library()->file->path).absoluteFilePath(), drill);
        QVERIFY(window.library()->IndexOf(window.library()->file->path) != 0);
        QStringList expected{lines[9]};
        for (int i = 2; i < 9; ++i)
            expected << lines[i];
        QCOMPARE(window.library()->file->lines, expected);
        auto *list = f.child<QTreeWidget>("ListView1");
        QCOMPARE(list->topLevelItemCount(), 8);
        QCOMPARE(list->topLevelItem(0)->text(0), lines[9]);
        QCOMPARE(f.objects.words->WordCount(), 8);
        QCOMPARE(f.messages, QStringList{u"Информация|Трудные слова (8) записаны в словарь tom_2.wrd.\nТеперь он текущий."_s});

        // On disk in the stored form: read back through the program's own loader.
        {
            const WordFile onDisk(drill);
            QCOMPARE(onDisk.lines, expected);
            QVERIFY(onDisk.undecoded.isEmpty());
            QFile raw(drill);
            QVERIFY(raw.open(QIODevice::ReadOnly));
            QVERIFY(raw.readAll().startsWith(QByteArray::fromHex("fffe61006e0069006d0061006c0039002c00")));
        }
        QCOMPARE(WordFile(f.dictPath(0)).lines.last(), u"edited,правка,"_s);

        // The game plays it.
        window.findChild<QTabWidget *>(u"PageControl1"_s)->setCurrentIndex(0);
        window.engine().BStartClick();
        QCOMPARE(f.objects.state->gameState, 2);
        QVERIFY2(activeWord(f).startsWith(u"animal"_s), qPrintable(activeWord(f)));
    }

    // A record of 100 000 answers: the window opens at once and shows what the
    // record holds.
    void largeRecordOpensAtOnce()
    {
        MainWindowFixture f;
        QStringList lines[10];
        for (int d = 0; d < 10; ++d) {
            for (int i = 0; i < 70; ++i)
                lines[d] << u"d%1w%2,значение%2,"_s.arg(d).arg(i);
            writeLines(f.dictPath(d), lines[d]);
        }
        // The same outcomes, worked out here and written to the record.
        QHash<QString, WordProgress> expected;
        {
            ProgressStore record;
            QCOMPARE(record.Open(ProgressStore::DefaultPath()), ProgressStore::OpenResult::Opened);
            quint32 seed = 12345;
            for (int n = 0; n < 100000; ++n) {
                seed = seed * 1103515245u + 12345u;
                // Nine dictionaries get answers, the last one none.
                const QString &line = lines[(seed >> 8) % 9][(seed >> 16) % 70];
                const AnswerKind kind = static_cast<AnswerKind>((seed >> 4) % 3 == 0 ? (seed >> 12) % 5 : 0);
                QVERIFY(record.Record(outcomeOf(line, kind), u"tom_x.wrd"_s, n));
                expected[line].Add(kind, n);
            }
        }
        int stages[3] = {};
        for (const QStringList &dictionary : lines) {
            for (const QString &line : dictionary)
                ++stages[int(expected.contains(line) ? expected[line].stage() : Stage::New)];
        }
        QCOMPARE(stages[0], 70);

        TForm1 &window = f.open();
        window.show();
        Shown shown;
        bool found = false;
        QElapsedTimer clock;
        qint64 opened = -1;
        answerNextModal<TProgressForm>(
            [&](TProgressForm *form) {
                opened = clock.elapsed();
                readAndClose(shown, "BClose")(form);
            },
            &found);
        clock.start();
        window.Perform(Requests::TrayCommand, Requests::CommandProgress);
        QVERIFY(found);
        // The benchmark holds the real figure; this only catches a window
        // that reads every answer again.
        QVERIFY2(opened < 1500, qPrintable(QString::number(opened)));
        QCOMPARE(shown.values[1][0], stages[0]);
        QCOMPARE(shown.values[1][1], stages[1]);
        QCOMPARE(shown.values[1][2], stages[2]);
        QCOMPARE(shown.maxima[1], 700);
        QCOMPARE(shown.hardWords.size(), 70);
        QVERIFY(shown.drillEnabled);
    }

    // A damaged record is put aside and a fresh one begun; the learner is
    // told once, and play is recorded as before.
    void damagedRecordIsRenewed()
    {
        MainWindowFixture f;
        f.writeDictionary(0, 10);
        const QString path = ProgressStore::DefaultPath();
        QDir().mkpath(QFileInfo(path).absolutePath());
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray("not a database at all").repeated(100));
        }
        TForm1 &window = f.open();
        window.show();
        // Starting touches no record: it opens with the first answer.
        QTest::qWait(50);
        QVERIFY(!window.progressRecord());
        QVERIFY(f.messages.isEmpty());
        window.engine().BStartClick();
        window.engine().OnLabelClick(meaningRow(f, true));
        QVERIFY(window.progressRecord());
        QCOMPARE(window.progressRecord()->AnswerCount(), 1);
        // Told after the turn, not in the middle of it.
        QVERIFY(f.messages.isEmpty());
        QTRY_COMPARE(f.messages.size(), 1);
        QVERIFY2(f.messages[0].startsWith(u"Информация|Журнал успехов был повреждён и начат заново."_s),
                 qPrintable(f.messages[0]));
        const QString copy = window.progressRecord()->DamagedCopy();
        QVERIFY(f.messages[0].endsWith(QDir::toNativeSeparators(copy)));
        QFile kept(copy);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("not a database at all").repeated(100));
        window.close();
        f.window.reset();

        // The next start finds the fresh record whole and says nothing.
        TForm1 &again = f.open();
        again.show();
        again.OpenProgressRecord();
        QVERIFY(again.progressRecord());
        QCOMPARE(again.progressRecord()->AnswerCount(), 1);
        QTest::qWait(20);
        QCOMPARE(f.messages.size(), 1);
    }

    // No record at all: the game plays on, the learner is told once, and
    // "Успехи" shows every word as new.
    void withoutARecordTheGamePlaysOn()
    {
        MainWindowFixture f;
        f.writeDictionary(0, 10);
        const QString blocker = QFileInfo(f.dictPath(0)).absolutePath() + u"/../blocker"_s;
        QFile(blocker).open(QIODevice::WriteOnly);
        qputenv("XDG_DATA_HOME", (blocker + u"/data"_s).toLocal8Bit());
        TForm1 &window = f.open();
        window.show();
        window.engine().BStartClick();
        for (int turn = 0; turn < 8; ++turn)
            window.engine().OnLabelClick(meaningRow(f, turn % 2 == 0));
        QCOMPARE(f.objects.state->gameState, 2);
        QVERIFY(!window.progressRecord());
        QTRY_COMPARE(f.messages.size(), 1);
        QVERIFY2(f.messages[0].contains(u"Не удалось открыть журнал успехов"_s), qPrintable(f.messages[0]));

        Shown shown;
        answerNextModal<TProgressForm>(readAndClose(shown, "BClose"));
        window.ShowProgressWindow();
        // The window stopped the game before it opened.
        QCOMPARE(f.objects.state->gameState, 0);
        QCOMPARE(shown.values[0][0], 10);
        QVERIFY2(shown.captions[2].contains(u"журнал успехов не ведётся"_s), qPrintable(shown.captions[2]));
        QTest::qWait(20);
        QCOMPARE(f.messages.size(), 1);
    }
};

QTEST_MAIN(TestProgressWindow)
#include "tst_progress_window.moc"
