#include "forms/progress_form.h"

#include "ui_progress_form.h"
#include "forms/russian_plural.h"

#include <QHeaderView>
#include <QProgressBar>
#include <QScreen>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

const QColor WindowBlue(0, 0, 255);
const QColor NewGrey(192, 192, 192);
const QColor LearningYellow(255, 255, 0);
const QColor LearntGreen(0, 192, 0);

// The Russian form of a count: 1 слово, 2 слова, 5 слов.
QString counted(int n, const QString &one, const QString &few, const QString &many)
{
    return QString::number(n) + u' ' + RussianPlural(n, one, few, many);
}

QString wordsText(int n)
{
    return counted(n, u"слово"_s, u"слова"_s, u"слов"_s);
}

void paintBar(QProgressBar *bar, const QColor &colour)
{
    QPalette palette = bar->palette();
    palette.setColor(QPalette::Highlight, colour);
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, WindowBlue);
    palette.setColor(QPalette::HighlightedText, WindowBlue);
    bar->setPalette(palette);
}

} // namespace

TProgressForm::TProgressForm(const ProgressReport &report, QWidget *mainWindow)
    : QDialog(mainWindow)
    , m_report(report)
    , m_ui(std::make_unique<Ui::ProgressForm>())
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(size());

    // The main window's colours: a blue form with white texts.
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, WindowBlue);
    palette.setColor(QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, WindowBlue);
    setPalette(palette);
    setAutoFillBackground(true);

    m_ui->LabelCurrent->setText(u"Текущий словарь: "_s + report.currentName + u" — "_s
                                + wordsText(report.current.stages.total()));
    m_ui->LabelFolder->setText(u"Вся папка: "_s
                               + counted(report.dictionaryCount, u"словарь"_s, u"словаря"_s, u"словарей"_s)
                               + u", "_s + wordsText(report.folder.stages.total()));
    showStages(report.current, "Current");
    showStages(report.folder, "Folder");

    int month = 0;
    for (const int count : report.days)
        month += count;
    const int today = report.days.isEmpty() ? 0 : report.days.last();
    m_ui->LabelDays->setText(report.recorded ? u"Ответы за %1 дней: %2, сегодня %3"_s.arg(ProgressReport::Days)
                                                   .arg(month)
                                                   .arg(today)
                                             : u"Ответы за %1 дней: журнал успехов не ведётся"_s.arg(ProgressReport::Days));
    m_ui->DayChart1->setCounts(report.days);

    QTreeWidget *list = m_ui->ListHard;
    // Three columns that fit the list beside its scroll bar: the count last.
    list->header()->setSectionsClickable(false);
    list->header()->setStretchLastSection(false);
    list->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    list->header()->setSectionResizeMode(2, QHeaderView::Fixed);
    list->header()->setSectionResizeMode(3, QHeaderView::Fixed);
    list->setColumnWidth(0, 110);
    list->setColumnWidth(2, 60);
    list->setColumnWidth(3, 50);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    list->setFocusPolicy(Qt::NoFocus);
    QList<QTreeWidgetItem *> rows;
    for (const ProgressReport::HardWord &word : report.hardest) {
        const WordSchedule &schedule = word.progress.schedule;
        const QString recall = schedule.Reviewed()
                                   ? u"%1 %"_s.arg(std::lround(100 * schedule.Retrievability(report.review.day)))
                                   : u"—"_s;
        auto *row = new QTreeWidgetItem(
            QStringList{word.key.english, word.key.MeaningsText(), QString::number(word.progress.misses()), recall});
        row->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        row->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
        rows.append(row);
    }
    list->addTopLevelItems(rows);
    m_ui->LabelHard->setText(report.hardest.isEmpty() ? u"Трудных слов пока нет"_s
                                                      : u"Трудные слова: "_s + QString::number(report.hardest.size()));

    const bool enough = report.hardest.size() >= MinDrillWords;
    m_ui->BDrill->setEnabled(enough);
    m_ui->BDrill->setToolTip(enough ? u"Новый словарь из трудных слов станет текущим"_s
                                    : u"Для словаря нужно не меньше %1 трудных слов"_s.arg(MinDrillWords));
    connect(m_ui->BDrill, &QPushButton::clicked, this, [this] { done(DrillResult); });
    connect(m_ui->BClose, &QPushButton::clicked, this, &QDialog::reject);
    showReview(report.review);
    connect(m_ui->BReview, &QPushButton::clicked, this, [this] { done(ReviewResult); });

    // Where the other dialogs open, as far as the screen leaves room.
    if (mainWindow && mainWindow->isVisible()) {
        QPoint at = mainWindow->frameGeometry().topLeft() + QPoint(20, 40);
        if (const QScreen *screen = mainWindow->screen()) {
            const QRect room = screen->availableGeometry();
            at.setX(std::clamp(at.x(), room.left(), std::max(room.left(), room.right() - width())));
            at.setY(std::clamp(at.y(), room.top(), std::max(room.top(), room.bottom() - height() - 30)));
        }
        move(at);
    }
}

TProgressForm::~TProgressForm() = default;

void TProgressForm::showReview(const ReviewPlan &plan)
{
    m_ui->LabelDue->setText(u"К повторению сегодня: "_s + wordsText(plan.dueCount));
    m_ui->ForecastChart->setTodayLast(false);
    m_ui->ForecastChart->setCounts(plan.forecast);
    int fortnight = 0;
    for (const int count : plan.forecast)
        fortnight += count;
    const int tomorrow = plan.forecast.isEmpty() ? 0 : plan.forecast.first();
    m_ui->LabelForecast->setText(u"Завтра: %1, за %2 дней: %3"_s.arg(tomorrow).arg(plan.forecast.size()).arg(fortnight));
    m_ui->BReview->setToolTip(u"Слова к повторению станут текущим словарём"_s);
}

void TProgressForm::showStages(const WordsProgress &progress, const char *scope)
{
    const StageCounts &stages = progress.stages;
    const struct
    {
        const char *stage;
        int count;
        QColor colour;
    } rows[] = {{"New", stages.fresh, NewGrey}, {"Learning", stages.learning, LearningYellow},
                {"Learnt", stages.learnt, LearntGreen}};
    for (const auto &row : rows) {
        auto *bar = findChild<QProgressBar *>(QLatin1String(scope) + QLatin1String(row.stage));
        // A range of 0 to 0 would show a busy bar.
        bar->setRange(0, std::max(stages.total(), 1));
        bar->setValue(row.count);
        bar->setFormat(QString::number(row.count));
        paintBar(bar, row.colour);
    }
}
