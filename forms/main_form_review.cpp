// "Повторить сегодня": the main window's side of the review schedule. What
// is due and how the review dictionary is written live in the progress
// module; here the game is stopped, the dictionary made current and the
// learner told.
#include "forms/main_form.h"

#include "app/process_objects.h"
#include "dict/dict_library.h"
#include "forms/message_box.h"
#include "platform/tray_icon.h"
#include "progress/progress_store.h"
#include "progress/review_today.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

QString dateText(qint64 day, qint64 today)
{
    const QString date = QDate::fromJulianDay(day).toString(u"dd.MM.yyyy"_s);
    return day == today + 1 ? u"завтра, "_s + date : date;
}

// Why there is nothing to review, and when there will be.
QString nothingDueText(const ReviewPlan &plan)
{
    if (plan.nextDay == 0)
        return u"Повторять пока нечего: в журнале успехов нет ответов на слова этой папки."_s;
    return u"Сегодня повторять нечего.\nСледующие слова к повторению (%1) — %2."_s.arg(plan.nextCount).arg(
        dateText(plan.nextDay, plan.day));
}

} // namespace

void TForm1::ReviewToday()
{
    PRG_STAT &state = *m_objects.state;
    if (!state.mainWindowInCharge)
        return;
    if (state.gameState >= 1)
        m_engine.BStartClick();
    OpenProgressRecord();
    tellIfRenewed();
    if (!m_progress) {
        MessageBoxes::information(this, u"Журнал успехов не ведётся: повторять нечего."_s);
        return;
    }
    const QString folder = m_library->folder;
    const WordFile &current = *m_library->file;
    const ReviewPlan plan = ReviewPlan::Make(ReviewSourceWords(folder, current.path, current.lines),
                                             m_progress->Words(), QDate::currentDate().toJulianDay());
    ShowDueCount(plan.dueCount);
    if (plan.due.isEmpty()) {
        MessageBoxes::information(this, nothingDueText(plan));
        return;
    }
    QList<WordKey> words;
    for (const QList<ScheduledWord> &part : {plan.due, plan.topUp}) {
        for (const ScheduledWord &word : part)
            words.append(word.key);
    }

    // The current dictionary is closed first: it saves its edits, and when
    // it is the review dictionary, nothing of it is written after the new
    // words.
    const QString before = current.path;
    m_library.reset();
    QString error;
    const QString path = WriteReviewDictionary(folder, words, &error);
    m_library = std::make_unique<DictLibrary>(state.dictDir, state.defaultDictDir, path.isEmpty() ? before : path);
    m_engine.ResetGame();
    DictionaryChanged();
    if (path.isEmpty()) {
        MessageBoxes::information(this, u"Не удалось записать словарь для повторения в папку\n"_s
                                            + QDir::toNativeSeparators(folder) + u"\n("_s + error + u")."_s);
        return;
    }
    QString text = u"К повторению сегодня слов: %1.\n"_s.arg(plan.dueCount);
    if (plan.dueCount > plan.due.size())
        text += u"Самые забытые из них (%1) записаны"_s.arg(plan.due.size());
    else
        text += u"Они записаны"_s;
    text += u" в словарь %1, теперь он текущий."_s.arg(QFileInfo(path).fileName());
    if (!plan.topUp.isEmpty())
        text += u"\nДля игры нужно не меньше %1 слов: добавлены те, что подходят к повторению следующими."_s.arg(
            WordFile::MinPlayable);
    MessageBoxes::information(this, text);
}

void TForm1::ShowDueCount(int due)
{
    if (m_tray)
        m_tray->setToolTip(u"Lexomat\nК повторению: %1"_s.arg(due));
}
