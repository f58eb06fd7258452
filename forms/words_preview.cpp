#include "forms/words_preview.h"

#include "ui_words_preview.h"

#include "dict/word_file.h"
#include "forms/file_dialog.h"
#include "forms/file_drop.h"
#include "forms/file_notices.h"
#include "forms/import_dialog.h"
#include "forms/message_box.h"
#include "forms/russian_plural.h"
#include "import/folder_import.h"
#include "reading/lexicon_knowledge.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QThread>

#include <atomic>

using namespace Qt::StringLiterals;

namespace {

enum Column { CountColumn, WordColumn, MeaningsColumn, ExampleColumn };
// The item's word: its place in the analysis's list of new words.
constexpr int IndexRole = Qt::UserRole;
// The meanings as they were before an edit, to go back to after a bad one.
constexpr int MeaningsRole = Qt::UserRole + 1;

const QString ReadingFilter =
    u"Тексты, субтитры и книги|*.txt;*.srt;*.vtt;*.html;*.htm;*.xhtml;*.fb2;*.epub|Все файлы|*"_s;

QString quoted(const QString &text)
{
    return u"«"_s + text + u"»"_s;
}

QString fileName(const QString &path)
{
    return quoted(QDir::toNativeSeparators(path));
}

QString number(qint64 value)
{
    return QLocale(QLocale::Russian).toString(value);
}

// The meanings a learner typed: separated by commas or semicolons.
QStringList typedMeanings(const QString &text)
{
    QStringList meanings;
    for (const QString &part : text.split(QRegularExpression(u"[,;]"_s), Qt::SkipEmptyParts)) {
        const QString meaning = WordList::Trimmed(part);
        if (!meaning.isEmpty())
            meanings.append(meaning);
    }
    return meanings;
}

// Only the meanings can be edited in the lists.
class MeaningsOnly : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return index.column() == MeaningsColumn ? QStyledItemDelegate::createEditor(parent, option, index) : nullptr;
    }
};

} // namespace

namespace ReadingTexts {

QString percent(int permille)
{
    return u"%1,%2 %"_s.arg(permille / 10).arg(permille % 10);
}

QString coverage(const TextAnalysis &analysis)
{
    const QString known = u"Вы знаете %1 слов этого текста."_s.arg(percent(analysis.KnownPermille()));
    const int for95 = analysis.WordsFor(95);
    const int for98 = analysis.WordsFor(98);
    const auto words = [](int count) -> QString {
        return QString::number(count) + u' ' + RussianPlural(count, u"слово"_s, u"слова"_s, u"слов"_s);
    };
    if (for98 == 0)
        return known;
    if (for95 == 0)
        return known + u" Выучив %1, вы будете понимать 98 %."_s.arg(words(for98));
    return known + u" Выучив %1, вы будете понимать 95 %, выучив %2 — 98 %."_s.arg(words(for95)).arg(for98);
}

QString format(Reading::Format format)
{
    switch (format) {
    case Reading::Format::Srt:
        return u"субтитры SubRip"_s;
    case Reading::Format::WebVtt:
        return u"субтитры WebVTT"_s;
    case Reading::Format::Html:
        return u"страница HTML"_s;
    case Reading::Format::FictionBook:
        return u"книга FictionBook"_s;
    case Reading::Format::Epub:
        return u"книга EPUB"_s;
    case Reading::Format::Clipboard:
        return u"текст из буфера обмена"_s;
    case Reading::Format::Text:
        break;
    }
    return u"текст"_s;
}

QString problem(const Reading::ReadProblem &problem)
{
    using Kind = Reading::ReadProblem::Kind;
    const QString file = fileName(problem.path);
    switch (problem.kind) {
    case Kind::Missing:
        return u"Файл %1 не найден."_s.arg(file);
    case Kind::NotAFile:
        return u"%1 — это не файл."_s.arg(file);
    case Kind::Unreadable:
        return u"Файл %1 не удаётся прочитать: %2."_s.arg(file, FileNotices::reason(problem.error));
    case Kind::TooLarge:
        return u"Файл %1 слишком велик (%2 МБ): читаются файлы не больше %3 МБ."_s.arg(file)
            .arg(number(problem.size / (1024 * 1024)))
            .arg(Reading::MaxFileSize / (1024 * 1024));
    case Kind::Empty:
        return u"Файл %1 пуст."_s.arg(file);
    case Kind::Binary:
        return u"Файл %1 — не текст, не субтитры и не книга."_s.arg(file);
    case Kind::UnknownFormat:
        return u"Файл %1 в формате %2 не читается: сохраните его как текст, HTML, FB2 или EPUB."_s.arg(file,
                                                                                                      problem.detail);
    case Kind::BadXml:
        return u"Файл %1 повреждён: ошибка в разметке XML, строка %2."_s.arg(file).arg(problem.line);
    case Kind::XmlEntities:
        return u"В файле %1 (строка %2) объявлены сущности XML. Такие файлы не читаются: сущность может "
               "развернуться в огромный текст."_s.arg(file)
            .arg(problem.line);
    case Kind::NotEpub:
        return u"Файл %1 — ZIP-архив, но не книга EPUB."_s.arg(file);
    case Kind::BrokenZip:
        return u"Архив %1 повреждён: книгу не удаётся распаковать."_s.arg(file);
    case Kind::ZipUnavailable:
        return u"Книга %1 не читается: не удалось загрузить модуль чтения ZIP-архивов lexomat-zip.so (%2). "
               "Установите Lexomat заново."_s.arg(file, problem.detail);
    case Kind::NoSpine:
        return u"В книге %1 нет ни одной главы, которую можно прочитать: её оглавление ссылается на файлы, "
               "которых в ней нет."_s.arg(file);
    case Kind::TextLimit:
        return u"Книга %1 распаковывается больше чем в %2 МБ текста — это не похоже на книгу. Чтение остановлено."_s
            .arg(file)
            .arg(Reading::MaxTextBytes / (1024 * 1024));
    case Kind::NoText:
        return u"В файле %1 нет текста."_s.arg(file);
    case Kind::Cancelled:
        break;
    }
    return u"Чтение остановлено."_s;
}

} // namespace ReadingTexts

// The state a worker thread shares with the window: the window may be gone
// before the thread notices it should stop.
struct TWordsPreview::Job
{
    std::atomic<int> permille{0};
    std::atomic<bool> cancelled{false};
    ReadingRun::Outcome outcome;
};

TWordsPreview::TWordsPreview(Known known, QWidget *mainWindow)
    : QDialog(mainWindow)
    , m_ui(std::make_unique<Ui::WordsPreview>())
    , m_known(std::move(known))
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::WindowMaximizeButtonHint);

    // The main window's look, as the import preview has it.
    QPalette look = palette();
    look.setColor(QPalette::Window, QColor(0, 0, 255));
    look.setColor(QPalette::WindowText, Qt::white);
    look.setColor(QPalette::Base, Qt::white);
    look.setColor(QPalette::Text, QColor(0, 0, 255));
    look.setColor(QPalette::Button, QColor(212, 208, 200));
    look.setColor(QPalette::ButtonText, QColor(0, 0, 255));
    look.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(128, 128, 128));
    setPalette(look);
    setAutoFillBackground(true);
    // The tab pages are drawn by the style on the window colour: lists and
    // labels on them keep the look of the rest.
    for (QWidget *page : {static_cast<QWidget *>(m_ui->Tabs), m_ui->WordsTab, m_ui->NoMeaningTab, m_ui->LeftOutTab}) {
        QPalette pageLook = look;
        pageLook.setColor(QPalette::WindowText, QColor(0, 0, 255));
        page->setPalette(pageLook);
    }
    // Beside the main window, as the other dialogs, but all of it on its
    // screen, with room for the window manager's frame.
    if (mainWindow) {
        constexpr int FrameAllowance = 40;
        const QRect screen = mainWindow->screen()->availableGeometry().adjusted(0, 0, -FrameAllowance / 4, -FrameAllowance);
        QRect placed(mainWindow->window()->frameGeometry().topLeft() + QPoint(20, 40), size());
        placed.moveRight(std::min(placed.right(), screen.right()));
        placed.moveBottom(std::min(placed.bottom(), screen.bottom()));
        placed.moveLeft(std::max(placed.left(), screen.left()));
        placed.moveTop(std::max(placed.top(), screen.top()));
        move(placed.topLeft());
    }

    for (QTreeWidget *list : {m_ui->WordsList, m_ui->NoMeaningList}) {
        list->setItemDelegate(new MeaningsOnly(list));
        list->header()->setStretchLastSection(true);
        connect(list, &QTreeWidget::itemChanged, this, &TWordsPreview::itemChanged);
    }
    m_ui->SourceLabel->setText(u"Откройте текст, субтитры или книгу (TXT, SRT, VTT, HTML, FB2, EPUB) или возьмите "
                               "текст из буфера обмена. Файл можно и перетащить в это окно."_s);
    m_ui->CoverageLabel->hide();
    m_ui->Tabs->setEnabled(false);
    m_ui->ProgressBar->hide();
    m_ui->StopButton->hide();
    m_ui->CountBox->setEnabled(false);
    m_ui->Take95Button->setEnabled(false);
    m_ui->Take98Button->setEnabled(false);
    m_ui->CreateButton->setEnabled(false);
    m_ui->CloseButton->setDefault(true);

    connect(m_ui->OpenButton, &QPushButton::clicked, this, &TWordsPreview::chooseFile);
    connect(m_ui->PasteButton, &QPushButton::clicked, this,
            [this] { OpenText(QGuiApplication::clipboard()->text()); });
    connect(m_ui->StopButton, &QPushButton::clicked, this, &TWordsPreview::stop);
    connect(m_ui->CountBox, &QSpinBox::valueChanged, this, &TWordsPreview::takeFirst);
    connect(m_ui->Take95Button, &QPushButton::clicked, this, [this] { m_ui->CountBox->setValue(wordsFor(95)); });
    connect(m_ui->Take98Button, &QPushButton::clicked, this, [this] { m_ui->CountBox->setValue(wordsFor(98)); });
    connect(m_ui->CreateButton, &QPushButton::clicked, this, &TWordsPreview::create);
    connect(m_ui->CloseButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(&m_poll, &QTimer::timeout, this, &TWordsPreview::poll);
    new FileDropTarget(this, [this](const QString &path) {
        if (!IsWorking())
            OpenFile(path);
    });
}

TWordsPreview::~TWordsPreview()
{
    if (m_thread) {
        m_job->cancelled = true;
        m_thread->wait();
        delete m_thread;
    }
}

bool TWordsPreview::IsWorking() const
{
    return m_thread != nullptr;
}

void TWordsPreview::OpenFile(const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    start(u"Файл: "_s + fileName(absolute), [absolute, known = m_known](const Reading::ProgressFunction &progress) {
        const LexiconKnowledge knowledge;
        return ReadingRun::FromFile(
            absolute, knowledge,
            [&] {
                KnownWords words = KnownWords::FromFolder(known.folder, knowledge, known.currentPath, known.currentLines);
                words.AddLearnt(known.learnt, knowledge);
                return words;
            },
            progress);
    });
}

void TWordsPreview::OpenText(const QString &text)
{
    if (text.trimmed().isEmpty()) {
        showProblem(u"В буфере обмена нет текста. Скопируйте текст в другой программе и нажмите «%1» снова."_s.arg(
            m_ui->PasteButton->text()));
        return;
    }
    start(u"Текст из буфера обмена: %1 %2"_s.arg(number(text.size()))
              .arg(RussianPlural(text.size(), u"знак"_s, u"знака"_s, u"знаков"_s)),
          [text, known = m_known](const Reading::ProgressFunction &progress) {
              const LexiconKnowledge knowledge;
              return ReadingRun::FromDocument(
                  Reading::FromClipboard(text), knowledge,
                  [&] {
                      KnownWords words =
                          KnownWords::FromFolder(known.folder, knowledge, known.currentPath, known.currentLines);
                      words.AddLearnt(known.learnt, knowledge);
                      return words;
                  },
                  progress);
          });
}

void TWordsPreview::start(const QString &source, Work work)
{
    if (IsWorking())
        return;
    m_analysis.reset();
    m_sourceText = source;
    m_ui->SourceLabel->setText(source + u"\nЧитаю и разбираю слова…"_s);
    m_ui->CoverageLabel->hide();
    m_ui->WordsList->clear();
    m_ui->NoMeaningList->clear();
    m_ui->LeftOutList->clear();
    m_ui->PartsLabel->clear();
    m_ui->PlanLabel->clear();
    m_ui->ProgressBar->setValue(0);
    m_job = std::make_shared<Job>();
    m_thread = QThread::create([job = m_job, work = std::move(work)] {
        job->outcome = work([&job](int permille) {
            job->permille = permille;
            return !job->cancelled;
        });
    });
    connect(m_thread, &QThread::finished, this, &TWordsPreview::finished);
    setWorking(true);
    m_thread->start();
    m_poll.start(50);
}

void TWordsPreview::stop()
{
    if (m_job)
        m_job->cancelled = true;
}

void TWordsPreview::reject()
{
    stop();
    QDialog::reject();
}

void TWordsPreview::poll()
{
    if (m_job)
        m_ui->ProgressBar->setValue(m_job->permille);
}

void TWordsPreview::finished()
{
    m_poll.stop();
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    const std::shared_ptr<Job> job = std::exchange(m_job, nullptr);
    setWorking(false);
    ReadingRun::Outcome &outcome = job->outcome;
    if (outcome.problem) {
        showProblem(ReadingTexts::problem(*outcome.problem));
        return;
    }
    if (outcome.analysis->runningWords == 0) {
        showProblem(u"В тексте нет английских слов."_s);
        return;
    }
    m_ui->SourceLabel->setText(m_sourceText + u" — "_s + ReadingTexts::format(outcome.document->format) + u", "_s
                               + number(outcome.analysis->runningWords) + u' '
                               + RussianPlural(outcome.analysis->runningWords, u"слово"_s, u"слова"_s, u"слов"_s));
    QStringList parts;
    if (!outcome.document->missingParts.isEmpty()) {
        parts.append(u"В книге нет частей, названных в её оглавлении, они пропущены: %1."_s.arg(
            outcome.document->missingParts.join(u", "_s)));
    }
    if (!outcome.document->repeatedParts.isEmpty()) {
        parts.append(u"Оглавление книги называет части повторно, каждая прочитана один раз: %1."_s.arg(
            outcome.document->repeatedParts.join(u", "_s)));
    }
    m_ui->PartsLabel->setText(parts.join(u'\n'));
    m_analysis = std::move(outcome.analysis);
    showAnalysis();
}

void TWordsPreview::showProblem(const QString &text)
{
    m_analysis.reset();
    m_ui->SourceLabel->setText(text);
    m_ui->CoverageLabel->hide();
    m_ui->Tabs->setEnabled(false);
    m_ui->WordsList->clear();
    m_ui->NoMeaningList->clear();
    m_ui->LeftOutList->clear();
    m_ui->CountBox->setEnabled(false);
    m_ui->Take95Button->setEnabled(false);
    m_ui->Take98Button->setEnabled(false);
    m_ui->CreateButton->setEnabled(false);
    m_ui->PlanLabel->clear();
}

void TWordsPreview::setWorking(bool working)
{
    m_ui->ProgressBar->setVisible(working);
    m_ui->StopButton->setVisible(working);
    m_ui->OpenButton->setVisible(!working);
    m_ui->PasteButton->setVisible(!working);
    m_ui->Tabs->setEnabled(!working);
    m_ui->CreateButton->setEnabled(false);
    if (working)
        m_ui->StopButton->setFocus();
}

void TWordsPreview::showAnalysis()
{
    const TextAnalysis &analysis = *m_analysis;
    m_ui->CoverageLabel->setText(ReadingTexts::coverage(analysis));
    m_ui->CoverageLabel->show();

    m_filling = true;
    fillList(m_ui->WordsList, true);
    fillList(m_ui->NoMeaningList, false);
    m_ui->Tabs->setTabText(0, u"Новые слова (%1)"_s.arg(number(m_ui->WordsList->topLevelItemCount())));
    m_ui->Tabs->setTabText(1, u"Без значения (%1)"_s.arg(number(m_ui->NoMeaningList->topLevelItemCount())));

    QTreeWidget *leftOut = m_ui->LeftOutList;
    const auto row = [leftOut](const QString &what, const QString &words, qint64 times) {
        auto *item = new QTreeWidgetItem(leftOut, {what, words, number(times)});
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    };
    row(u"Служебные слова и междометия"_s, number(analysis.functionWords.words), analysis.functionWords.occurrences);
    row(u"Слова ваших словарей"_s, number(analysis.inFolder.words), analysis.inFolder.occurrences);
    row(u"Выученные слова"_s, number(analysis.learnt.words), analysis.learnt.occurrences);
    row(u"Имена и иностранные слова"_s, number(analysis.names.words), analysis.names.occurrences);
    row(u"Числа и отдельные буквы"_s, u"—"_s, analysis.numbers);
    for (int column = 0; column < leftOut->columnCount(); ++column)
        leftOut->resizeColumnToContents(column);
    m_filling = false;

    m_ui->Tabs->setEnabled(true);
    m_ui->Tabs->setCurrentIndex(0);
    m_ui->CountBox->setRange(0, static_cast<int>(analysis.newWords.size()));
    m_ui->CountBox->setEnabled(true);
    m_ui->Take95Button->setEnabled(true);
    m_ui->Take98Button->setEnabled(true);
    const int first = wordsFor(95);
    if (m_ui->CountBox->value() == first)
        takeFirst(first);
    else
        m_ui->CountBox->setValue(first);
    m_ui->CreateButton->setDefault(true);
}

void TWordsPreview::fillList(QTreeWidget *list, bool withMeanings)
{
    list->clear();
    QList<QTreeWidgetItem *> items;
    const QList<TextWord> &words = m_analysis->newWords;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const TextWord &word = words[i];
        const std::optional<WordEntry> entry = DictionaryEntry(word.word, word.meanings);
        if (entry.has_value() != withMeanings)
            continue;
        const QString meanings = entry ? entry->meanings.join(u", "_s) : QString();
        auto *item = new QTreeWidgetItem({QString::number(word.count), word.word, meanings, word.example});
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsEditable);
        item->setCheckState(CountColumn, Qt::Unchecked);
        item->setTextAlignment(CountColumn, Qt::AlignRight | Qt::AlignVCenter);
        item->setData(CountColumn, IndexRole, static_cast<int>(i));
        item->setData(MeaningsColumn, MeaningsRole, meanings);
        item->setToolTip(ExampleColumn, word.example);
        items.append(item);
    }
    list->addTopLevelItems(items);
    list->resizeColumnToContents(CountColumn);
    list->setColumnWidth(WordColumn, 120);
    list->setColumnWidth(MeaningsColumn, 230);
}

QList<QTreeWidgetItem *> TWordsPreview::itemsInOrder() const
{
    QList<QTreeWidgetItem *> items;
    for (QTreeWidget *list : {m_ui->WordsList, m_ui->NoMeaningList}) {
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            items.append(list->topLevelItem(i));
    }
    std::sort(items.begin(), items.end(), [](QTreeWidgetItem *a, QTreeWidgetItem *b) {
        return a->data(CountColumn, IndexRole).toInt() < b->data(CountColumn, IndexRole).toInt();
    });
    return items;
}

int TWordsPreview::wordsFor(int percent) const
{
    if (!m_analysis)
        return 0;
    // Words without a meaning cannot be taken: the next ones stand in.
    qint64 covered = m_analysis->KnownOccurrences();
    int count = 0;
    for (QTreeWidgetItem *item : itemsInOrder()) {
        if (covered * 100 >= m_analysis->runningWords * percent)
            break;
        if (item->text(MeaningsColumn).isEmpty())
            continue;
        covered += m_analysis->newWords[item->data(CountColumn, IndexRole).toInt()].count;
        ++count;
    }
    return count;
}

void TWordsPreview::takeFirst(int count)
{
    if (!m_analysis)
        return;
    m_filling = true;
    int taken = 0;
    for (QTreeWidgetItem *item : itemsInOrder()) {
        const bool take = taken < count && !item->text(MeaningsColumn).isEmpty();
        taken += take ? 1 : 0;
        item->setCheckState(CountColumn, take ? Qt::Checked : Qt::Unchecked);
    }
    m_filling = false;
    updatePlan();
}

void TWordsPreview::itemChanged(QTreeWidgetItem *item, int column)
{
    if (m_filling)
        return;
    if (column == MeaningsColumn) {
        const QStringList meanings = typedMeanings(item->text(MeaningsColumn));
        const QString before = item->data(MeaningsColumn, MeaningsRole).toString();
        QString problem;
        if (meanings.size() > WordList::MaxMeanings)
            problem = u"В словаре помещается не больше трёх значений слова."_s;
        for (const QString &meaning : meanings) {
            if (meaning.size() > WordList::MaxFieldLength) {
                problem = u"Значение %1 длиннее %2 символов: сократите его."_s.arg(quoted(meaning)).arg(
                    WordList::MaxFieldLength);
            }
        }
        const QString text = problem.isEmpty() ? meanings.join(u", "_s) : before;
        m_filling = true;
        item->setText(MeaningsColumn, text);
        item->setData(MeaningsColumn, MeaningsRole, text);
        // A word with a meaning typed in is wanted; one left without is not.
        if (text.isEmpty())
            item->setCheckState(CountColumn, Qt::Unchecked);
        else if (before.isEmpty())
            item->setCheckState(CountColumn, Qt::Checked);
        m_filling = false;
        if (!problem.isEmpty())
            MessageBoxes::information(this, problem);
    } else if (column == CountColumn && item->checkState(CountColumn) == Qt::Checked
               && item->text(MeaningsColumn).isEmpty()) {
        // Without a meaning a word cannot be played: it waits for one.
        m_filling = true;
        item->setCheckState(CountColumn, Qt::Unchecked);
        m_filling = false;
        item->treeWidget()->editItem(item, MeaningsColumn);
    }
    updatePlan();
}

void TWordsPreview::updatePlan()
{
    if (!m_analysis)
        return;
    qint64 covered = m_analysis->KnownOccurrences();
    qsizetype chosen = 0;
    for (QTreeWidgetItem *item : itemsInOrder()) {
        if (item->checkState(CountColumn) != Qt::Checked)
            continue;
        ++chosen;
        covered += m_analysis->newWords[item->data(CountColumn, IndexRole).toInt()].count;
    }
    const int permille = m_analysis->runningWords == 0 ? 0 : static_cast<int>(covered * 1000 / m_analysis->runningWords);
    QString text = u"Отмечено %1 %2: с ними вы будете понимать %3 текста."_s.arg(number(chosen))
                       .arg(RussianPlural(chosen, u"слово"_s, u"слова"_s, u"слов"_s))
                       .arg(ReadingTexts::percent(permille));
    const bool enough = chosen >= WordFile::MinPlayable;
    if (chosen == 0) {
        text = u"Отметьте слова, которые хотите учить."_s;
    } else if (!enough) {
        text += u"\nВ словаре для игры нужно хотя бы %1 слов."_s.arg(WordFile::MinPlayable);
    } else {
        QList<qsizetype> sizes;
        for (const QStringList &dictionary : FolderImport::SplitForNew(QStringList(chosen, QString()), NewDictionaryWords))
            sizes.append(dictionary.size());
        text += u"\nБудут созданы словари:\n"_s + ImportTexts::plan(FolderImport(m_known.folder).PlanNew(sizes));
    }
    m_ui->PlanLabel->setText(text);
    m_ui->CreateButton->setEnabled(enough);
}

void TWordsPreview::chooseFile()
{
    const QString chosen = FileDialogs::openFile(this, m_known.openFolder, ReadingFilter);
    if (chosen.isEmpty())
        return;
    m_known.openFolder = QFileInfo(chosen).absolutePath();
    OpenFile(chosen);
}

QStringList TWordsPreview::ChosenLines() const
{
    QStringList lines;
    if (!m_analysis)
        return lines;
    for (QTreeWidgetItem *item : itemsInOrder()) {
        if (item->checkState(CountColumn) != Qt::Checked)
            continue;
        const QString &word = m_analysis->newWords[item->data(CountColumn, IndexRole).toInt()].word;
        if (const std::optional<WordEntry> entry = DictionaryEntry(word, typedMeanings(item->text(MeaningsColumn))))
            lines.append(WordList::ToDictionaryLine(*entry));
    }
    return lines;
}

void TWordsPreview::create()
{
    if (ChosenLines().size() >= WordFile::MinPlayable)
        accept();
}
