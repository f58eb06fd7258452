#include "app/lexomat_application.h"
#include "app/process_objects.h"
#include "app/settings.h"
#include "dict/random.h"
#include "forms/cadr_form.h"
#include "forms/colour.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

const QString WinKey = u"SOFTWARE\\Tolv\\LX\\WIN"_s;

QStringList fiveWords()
{
    return {u"one,один,первый,"_s, u"two,два,"_s, u"three,три,третий,тройка,"_s, u"four,четыре,"_s,
            u"five,пять,"_s};
}

} // namespace

class TestCadrForm : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    ProcessObjects m_objects;
    QWidget m_mainWindow;

    void useWords(const QStringList &lines)
    {
        m_objects.words = std::make_unique<GWORDW>(WordStoreCapacity);
        m_objects.words->LoadLines(lines);
    }

    QString label(TCadr &cadr, const QString &name) { return cadr.findChild<QLabel *>(name)->text(); }

    // Shows the window and stops its timer: the tests tick by hand.
    void showStill(TCadr &cadr)
    {
        cadr.show();
        cadr.findChild<QTimer *>(u"Timer1"_s)->stop();
    }

    QPoint topRightCorner(const TCadr &cadr)
    {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        return {screen.x() + screen.width() - cadr.frameGeometry().width(), screen.y()};
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QFile::remove(m_dir.filePath(u"lx.ini"_s));
        m_objects.state = std::make_unique<PRG_STAT>();
        m_objects.registry = std::make_unique<INIT>(m_dir.filePath(u"lx.ini"_s));
        useWords(fiveWords());
        Clock::setSource([] { return qint64(1700000000); });
    }

    void cleanup() { Clock::setSource({}); }

    void form()
    {
        m_objects.state->bgColor = 0x102030;
        m_objects.state->activeColor = 0x405060;
        m_objects.state->passiveColor = 0x708090;
        TCadr cadr(m_objects, &m_mainWindow);
        auto *timer = cadr.findChild<QTimer *>(u"Timer1"_s);
        QVERIFY(timer);
        QVERIFY(!timer->isActive());
        QCOMPARE(cadr.windowTitle(), u"25-й кадр"_s);
        QCOMPARE(cadr.width(), 204);
        QVERIFY(cadr.height() >= 64);
        QCOMPARE(cadr.minimumSize(), cadr.maximumSize());
        const Qt::WindowFlags flags = cadr.windowFlags();
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
        QVERIFY(flags & Qt::WindowStaysOnTopHint);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & Qt::WindowMinMaxButtonsHint));
        QVERIFY(!cadr.windowIcon().pixmap(16, 16).isNull());
        const QFont font = cadr.findChild<QLabel *>(u"Label1"_s)->font();
        QCOMPARE(font.pixelSize(), 15);
        QVERIFY(font.bold());

        cadr.show();
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 40);
        QCOMPARE(timer->timerType(), Qt::PreciseTimer);
        QCOMPARE(cadr.palette().color(QPalette::Window), toQColor(0x102030));
        QCOMPARE(cadr.findChild<QLabel *>(u"Label1"_s)->palette().color(QPalette::WindowText), toQColor(0x405060));
        QCOMPARE(cadr.findChild<QLabel *>(u"Label2"_s)->palette().color(QPalette::WindowText), toQColor(0x708090));
        cadr.close();
    }

    // A word with three meanings shows every line whole: the descenders of
    // the last line ("р" of "работать") and a margin below them lie inside
    // the window, whatever font the board is set to.
    void threeMeaningsFitWhole_data()
    {
        QTest::addColumn<int>("boardFontSize");
        QTest::newRow("default board font") << PRG_STAT().fontSize;
        QTest::newRow("largest board font") << FontSizeMaximum;
    }
    void threeMeaningsFitWhole()
    {
        QFETCH(int, boardFontSize);
        LexomatApplication::useClassicFonts();
        PRG_STAT &state = *m_objects.state;
        state.fontSize = boardFontSize;
        state.bgColor = 0xFFFFFF;
        state.activeColor = 0x000000;
        state.passiveColor = 0x000000;
        useWords({u"run,бежать,управлять,работать,"_s});
        TCadr cadr(m_objects, &m_mainWindow);
        showStill(cadr);
        cadr.Timer1Timer();
        auto *meanings = cadr.findChild<QLabel *>(u"Label2"_s);
        QCOMPARE(meanings->text(), u"бежать\nуправлять\nработать"_s);

        const QImage picture = cadr.grab().toImage();
        const QRgb background = picture.pixel(picture.width() - 1, picture.height() - 1);
        int lowestInk = -1;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                if (picture.pixel(x, y) != background)
                    lowestInk = y;
            }
        }
        // The third line was drawn, and three rows of margin stay clear below it.
        const int thirdLine = meanings->y() + 2 * QFontMetrics(meanings->font()).lineSpacing();
        QVERIFY2(lowestInk > thirdLine, qPrintable(u"lowest ink at row %1"_s.arg(lowestInk)));
        QVERIFY2(lowestInk < picture.height() - 3,
                 qPrintable(u"ink at row %1 of a window %2 rows high"_s.arg(lowestInk).arg(picture.height())));
        // The word above them stays where it was.
        QCOMPARE(cadr.findChild<QLabel *>(u"Label1"_s)->pos(), QPoint(4, 1));
        cadr.close();
    }

    void placement_data()
    {
        QTest::addColumn<QVariant>("top");
        QTest::addColumn<QVariant>("left");
        QTest::addColumn<bool>("saved"); // false: the top-right corner
        QTest::newRow("saved position") << QVariant(150) << QVariant(300) << true;
        QTest::newRow("nothing saved") << QVariant() << QVariant() << false;
        QTest::newRow("left 0") << QVariant(150) << QVariant(0) << false;
        QTest::newRow("top 0") << QVariant(0) << QVariant(300) << false;
        QTest::newRow("negative left") << QVariant(150) << QVariant(-20) << false;
        QTest::newRow("only left saved") << QVariant() << QVariant(300) << false;
        QTest::newRow("text instead of number") << QVariant(u"150"_s) << QVariant(300) << false;
    }

    void placement()
    {
        QFETCH(QVariant, top);
        QFETCH(QVariant, left);
        QFETCH(bool, saved);
        INIT &registry = *m_objects.registry;
        registry.OpenKey(WinKey, true);
        for (const auto &[name, value] : {std::pair{u"W25TH_TOP"_s, top}, std::pair{u"W25TH_LEFT"_s, left}}) {
            if (value.typeId() == QMetaType::Int)
                registry.WriteInteger(name, value.toInt());
            else if (value.typeId() == QMetaType::QString)
                registry.WriteString(name, value.toString());
        }
        registry.CloseKey();

        TCadr cadr(m_objects, &m_mainWindow);
        showStill(cadr);
        const QPoint expected = saved ? QPoint(300, 150) : topRightCorner(cadr);
        QCOMPARE(cadr.pos(), expected);
        QCOMPARE(QPoint(m_objects.state->flashLeft, m_objects.state->flashTop), expected);
        QVERIFY(cadr.isVisible());
        cadr.close();
    }

    void closingHandsBack()
    {
        TCadr cadr(m_objects, &m_mainWindow);
        QSignalSpy handBack(&cadr, &TCadr::handBack);
        QVERIFY(m_objects.state->mainWindowInCharge);
        showStill(cadr);
        QVERIFY(!m_objects.state->mainWindowInCharge);
        cadr.Timer1Timer();
        cadr.Timer1Timer();
        // The word store was replaced while the window was open: the closing
        // frees the words of the current one.
        useWords(fiveWords());
        m_objects.words->DrawWord();
        m_objects.words->DrawWord();
        QCOMPARE(m_objects.words->AvailableCount(), 3);
        // Once the window has settled in its corner, the learner moves it.
        QTest::qWait(1600);
        cadr.Timer1Timer();
        cadr.move(123, 77);

        cadr.close();
        QVERIFY(!cadr.isVisible());
        QVERIFY(!cadr.findChild<QTimer *>(u"Timer1"_s)->isActive());
        QVERIFY(m_objects.state->mainWindowInCharge);
        QCOMPARE(handBack.count(), 1);
        QCOMPARE(m_objects.words->AvailableCount(), 5);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(m_objects.words->Word(i)->used, std::uint8_t(0));

        // The position is in the file, and the next window opens there.
        INIT reread(m_dir.filePath(u"lx.ini"_s));
        reread.OpenKey(WinKey, true);
        QCOMPARE(reread.ReadInteger(u"W25TH_TOP"_s), 77);
        QCOMPARE(reread.ReadInteger(u"W25TH_LEFT"_s), 123);
        reread.CloseKey();
        m_objects.state = std::make_unique<PRG_STAT>();
        TCadr next(m_objects, &m_mainWindow);
        showStill(next);
        QCOMPARE(next.pos(), QPoint(123, 77));
        next.close();
    }

    void modalShowingEndsOnClose()
    {
        TCadr cadr(m_objects, &m_mainWindow);
        QSignalSpy handBack(&cadr, &TCadr::handBack);
        bool stayedOnEsc = false;
        QTimer::singleShot(0, &cadr, [&] {
            QTest::keyClick(&cadr, Qt::Key_Escape);
            stayedOnEsc = cadr.isVisible() && handBack.isEmpty();
            cadr.close();
        });
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, &cadr, [&] { cadr.hide(); });
        guard.start(5000);
        cadr.exec();
        QVERIFY(guard.isActive());
        QVERIFY(stayedOnEsc);
        QCOMPARE(handBack.count(), 1);
        QVERIFY(m_objects.state->mainWindowInCharge);
    }

    void cycleShowsEveryWordOnce_data()
    {
        QTest::addColumn<qint64>("clock");
        QTest::newRow("a") << qint64(1700000000);
        QTest::newRow("b") << qint64(1700000001);
        QTest::newRow("c") << qint64(123456789);
    }

    void cycleShowsEveryWordOnce()
    {
        QFETCH(qint64, clock);
        Clock::setSource([clock] { return clock; });
        TCadr cadr(m_objects, &m_mainWindow);
        showStill(cadr);
        QHash<QString, QString> meanings{{u"one"_s, u"один\nпервый\n"_s},
                                         {u"two"_s, u"два\n\n"_s},
                                         {u"three"_s, u"три\nтретий\nтройка"_s},
                                         {u"four"_s, u"четыре\n\n"_s},
                                         {u"five"_s, u"пять\n\n"_s}};
        for (int cycle = 0; cycle < 3; ++cycle) {
            QSet<QString> shown;
            for (int tick = 0; tick < 5; ++tick) {
                cadr.Timer1Timer();
                const QString word = label(cadr, u"Label1"_s);
                QVERIFY2(meanings.contains(word), qPrintable(word));
                QCOMPARE(label(cadr, u"Label2"_s), meanings.value(word));
                shown.insert(word);
            }
            QCOMPARE(shown.size(), 5);
        }
        cadr.close();
    }

    void emptyDictionary()
    {
        useWords({});
        TCadr cadr(m_objects, &m_mainWindow);
        showStill(cadr);
        cadr.Timer1Timer();
        cadr.Timer1Timer();
        QCOMPARE(label(cadr, u"Label1"_s), QString());
        QCOMPARE(label(cadr, u"Label2"_s), QString());
        cadr.close();
        QVERIFY(m_objects.state->mainWindowInCharge);
    }

    void wordWithoutMeanings()
    {
        useWords({u"alone,"_s});
        TCadr cadr(m_objects, &m_mainWindow);
        showStill(cadr);
        for (int tick = 0; tick < 3; ++tick) {
            cadr.Timer1Timer();
            QCOMPARE(label(cadr, u"Label1"_s), u"alone"_s);
            QCOMPARE(label(cadr, u"Label2"_s), u"\n\n"_s);
        }
        cadr.close();
    }
};

QTEST_MAIN(TestCadrForm)
#include "tst_cadr_form.moc"
