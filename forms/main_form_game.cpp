// The game tab of the main window: the board, the speed controls and the
// window's side of the game engine.
#include "forms/main_form.h"

#include "app/process_objects.h"
#include "dict/dict_library.h"
#include "forms/artwork.h"
#include "forms/colour.h"
#include "forms/message_box.h"
#include "ui_main_form.h"

#include <QAction>
#include <QMenu>
#include <QMouseEvent>

namespace {

const QColor WindowBlue(0, 0, 255);
constexpr int WordWidthLimit = 98;
constexpr int MeaningWidthLimit = 185;
constexpr std::array<int, 6> RowTops{14, 54, 94, 136, 174, 216};

void setLabelColours(QLabel *label, const QColor &text, const QColor &background)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Window, background);
    label->setPalette(palette);
}

} // namespace

void TForm1::setUpGameTab()
{
    m_gameTimer.setTimerType(Qt::PreciseTimer);
    m_progressTimer.setTimerType(Qt::PreciseTimer);
    m_repeatTimer.setInterval(GameEngine::RepeatInterval);
    connect(&m_gameTimer, &QTimer::timeout, this, [this] { m_engine.GameTimerTimer(); });
    connect(&m_progressTimer, &QTimer::timeout, this, [this] { m_engine.ProgressTimerTimer(); });
    connect(&m_repeatTimer, &QTimer::timeout, this, [this] { m_engine.RepeatTimer(); });

    connect(m_ui->BStart, &QPushButton::clicked, this, [this] { m_engine.BStartClick(); });
    connect(m_ui->BSettings, &QPushButton::clicked, this, &TForm1::N9Click);
    connect(m_ui->Button3, &QPushButton::clicked, this, [this] { m_engine.Button3Click(); });
    connect(m_ui->Button4, &QPushButton::clicked, this, [this] { m_engine.Button4Click(); });
    connect(m_ui->TBGameSpeed, &QSlider::valueChanged, this, [this] { m_engine.TBGameSpeedChange(); });

    // The flash bar under the board: one yellow line.
    m_ui->Image5->setAutoFillBackground(true);
    setLabelColours(m_ui->Image5, Qt::yellow, Qt::yellow);

    for (int row = 0; row < 6; ++row) {
        QLabel *meaning = boardLabel(1, row);
        meaning->setProperty("tag", row);
        meaning->setMouseTracking(true);
        meaning->installEventFilter(this);
    }
    for (QLabel *arrow : {m_ui->Image3, m_ui->Image4})
        arrow->installEventFilter(this);
    m_ui->Image3->setProperty("tag", 0);
    m_ui->Image4->setProperty("tag", 2);

    for (UpDown *upDown : {m_ui->UpDown1, m_ui->UpDown2}) {
        const int tag = upDown == m_ui->UpDown1 ? 0 : 1;
        connect(upDown, &UpDown::clicked, this, [this, tag](bool right) { UpDown1Click(tag, right); });
        connect(upDown, &UpDown::pressed, this, [this, tag] { PaintColumn(tag != 0 ? 1 : 0, true); });
        connect(upDown, &UpDown::released, this, [this, tag] { PaintColumn(tag != 0 ? 1 : 0, false); });
    }

    // The game page's context menu.
    m_gameMenu = new QMenu(this);
    m_gameMenu->setObjectName(QStringLiteral("PopupMenu2"));
    const auto addItem = [this](const char *name, const QString &caption, auto handler) {
        QAction *action = m_gameMenu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    addItem("N13", QStringLiteral("Дальше"), [this] { m_engine.N13Click(); });
    addItem("N11", QStringLiteral("Подсказка"), [this] { m_engine.N11Click(); })->setVisible(false);
    m_gameMenu->addSeparator();
    addItem("N3", QStringLiteral("Запуск"), [this] { m_engine.N3Click(0); });
    addItem("N6", QStringLiteral("Стоп"), [this] { m_engine.N3Click(1); });
    m_gameMenu->addSeparator();
    addItem("N9", QStringLiteral("Настройки"), [this] { N9Click(); });
    m_gameMenu->addSeparator();
    addItem("N14", QStringLiteral("Успехи"), [this] { ShowProgressWindow(); });
    addItem("NReview", QStringLiteral("Повторить сегодня"), [this] { ReviewToday(); });
    m_ui->TabSheet1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_ui->TabSheet1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { m_gameMenu->popup(onScreen(m_ui->TabSheet1, pos)); });

    // Keys 1 to 6 answer with the meaning in that row while the game page
    // shows; on the other pages they are the list's and the fields' own.
    QList<QAction *> answerKeys;
    for (int row = 0; row < 6; ++row) {
        auto *key = new QAction(this);
        key->setObjectName(QStringLiteral("answerKey%1").arg(row + 1));
        key->setShortcut(QKeySequence(Qt::Key_1 + row));
        key->setShortcutContext(Qt::WindowShortcut);
        connect(key, &QAction::triggered, this, [this, row] {
            if (boardLabel(1, row)->isVisible())
                m_engine.OnLabelClick(row);
        });
        addAction(key);
        answerKeys.append(key);
    }
    connect(m_ui->PageControl1, &QTabWidget::currentChanged, this, [answerKeys](int index) {
        for (QAction *key : answerKeys)
            key->setEnabled(index == 0);
    });
}

bool TForm1::isMeaningLabel(QObject *watched) const
{
    for (int row = 0; row < 6; ++row) {
        if (watched == boardLabel(1, row))
            return true;
    }
    return false;
}

QLabel *TForm1::boardLabel(int column, int row) const
{
    static constexpr std::array<QLabel *Ui::TForm1::*, 6> words{
        &Ui::TForm1::Label1, &Ui::TForm1::Label2, &Ui::TForm1::Label3,
        &Ui::TForm1::Label4, &Ui::TForm1::Label5, &Ui::TForm1::Label6};
    static constexpr std::array<QLabel *Ui::TForm1::*, 6> meanings{
        &Ui::TForm1::Label9, &Ui::TForm1::Label10, &Ui::TForm1::Label11,
        &Ui::TForm1::Label12, &Ui::TForm1::Label13, &Ui::TForm1::Label14};
    const auto index = static_cast<std::size_t>(row);
    return (*m_ui).*(column == 0 ? words[index] : meanings[index]);
}

bool TForm1::boardEvent(QObject *watched, QEvent *event)
{
    if (watched == m_ui->Image3 || watched == m_ui->Image4) {
        auto *arrow = static_cast<QLabel *>(watched);
        const int tag = arrow->property("tag").toInt();
        // The second press of a double click is a press like the first.
        const bool press = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
        if ((!press && event->type() != QEvent::MouseButtonRelease)
            || static_cast<QMouseEvent *>(event)->button() != Qt::LeftButton)
            return false;
        if (press) {
            arrow->setPixmap(Artwork::speedArrow(tag + 1));
            arrow->repaint();
            m_engine.Image4MouseDown(tag);
            return true;
        }
        arrow->setPixmap(Artwork::speedArrow(tag));
        arrow->repaint();
        m_engine.Image4MouseUp(tag);
        return true;
    }
    const QVariant tag = watched->property("tag");
    auto *label = qobject_cast<QLabel *>(watched);
    if (!label || !tag.isValid() || label->parentWidget() != m_ui->TabSheet1)
        return false;
    if (event->type() == QEvent::MouseMove) {
        m_engine.OnLabelMouseMove(tag.toInt());
        return false;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && label->rect().contains(mouse->position().toPoint())) {
            m_engine.OnLabelClick(tag.toInt());
            return true;
        }
    }
    return false;
}

void TForm1::UpDown1Click(int tag, bool rightArrow)
{
    PRG_STAT &state = *m_objects.state;
    if (state.gameState >= 1)
        m_engine.BStartClick();
    const int pageWidth = m_ui->TabSheet1->width();
    const int pageLeft = m_ui->TabSheet1->mapTo(m_ui->PageControl1, QPoint(0, 0)).x();
    const int q = pageWidth / 100;
    UpDown *upDown = tag == 0 ? m_ui->UpDown1 : m_ui->UpDown2;
    std::int32_t &left = tag == 0 ? state.wordColumnLeft : state.meaningColumnLeft;
    const int base = tag == 0 ? state.wordColumnBase : state.meaningColumnBase;
    const bool allowed = (!rightArrow && left > pageLeft + 2 * q) || (rightArrow && left < pageWidth - 6 * q);
    if (!allowed) {
        upDown->setPosition(0);
        return;
    }
    left = upDown->position() + base;
    for (int row = 0; row < 6; ++row)
        boardLabel(tag == 0 ? 0 : 1, row)->move(left, RowTops[static_cast<std::size_t>(row)]);
}

void TForm1::ApplyBoardFont()
{
    const PRG_STAT &state = *m_objects.state;
    QFont font(state.fontName);
    font.setPointSize(std::max(1, state.fontSize));
    font.setBold(state.fontStyle & FontBold);
    font.setItalic(state.fontStyle & FontItalic);
    font.setUnderline(state.fontStyle & FontUnderline);
    font.setStrikeOut(state.fontStyle & FontStrikeOut);
    for (int row = 0; row < 6; ++row) {
        boardLabel(1, row)->setVisible(true);
        for (int column = 0; column < 2; ++column) {
            QLabel *label = boardLabel(column, row);
            label->setText(QString());
            label->setFont(font);
            label->adjustSize();
        }
    }
}

// GameHost ---------------------------------------------------------------------

void TForm1::ResetBoardView()
{
    const PRG_STAT &state = *m_objects.state;
    for (int row = 0; row < 6; ++row) {
        const int top = RowTops[static_cast<std::size_t>(row)];
        boardLabel(0, row)->move(state.wordColumnLeft, top);
        boardLabel(1, row)->move(state.meaningColumnLeft, top);
    }
    PaintColumn(0, false);
    PaintColumn(1, false);
    for (int row = 0; row < 6; ++row) {
        for (int column = 0; column < 2; ++column) {
            QLabel *label = boardLabel(column, row);
            label->setText(QString());
            label->adjustSize();
        }
        boardLabel(1, row)->setVisible(true);
    }
}

void TForm1::PaintColumn(int column, bool highlighted)
{
    const PRG_STAT &state = *m_objects.state;
    const QColor text = toQColor(state.passiveColor);
    const QColor background = toQColor(highlighted ? state.activeColor : state.bgColor);
    for (int row = 0; row < 6; ++row) {
        QLabel *label = boardLabel(column, row);
        const int width = label->width();
        setLabelColours(label, text, background);
        label->resize(width, label->height());
    }
    m_ui->Shape1->setBrushColor(toQColor(state.bgColor));
}

void TForm1::MarkActive(int column, int row)
{
    QLabel *label = boardLabel(column, row);
    const int width = label->width();
    setLabelColours(label, toQColor(m_objects.state->activeColor), label->palette().color(QPalette::Window));
    label->resize(width, label->height());
}

void TForm1::SetCaption(int column, int row, const QString &text)
{
    QLabel *label = boardLabel(column, row);
    label->setText(text);
    label->adjustSize();
    const int limit = column == 0 ? WordWidthLimit : MeaningWidthLimit;
    if (limit < label->width())
        label->resize(limit, label->height());
}

void TForm1::HideMeaning(int row)
{
    boardLabel(1, row)->setVisible(false);
}

void TForm1::SetFlashBarVisible(bool visible)
{
    m_ui->Image5->setVisible(visible);
    m_ui->Image5->repaint();
}

QTimer &TForm1::timer(Timer which)
{
    return which == Timer::Game ? m_gameTimer : which == Timer::Progress ? m_progressTimer : m_repeatTimer;
}

const QTimer &TForm1::timer(Timer which) const
{
    return which == Timer::Game ? m_gameTimer : which == Timer::Progress ? m_progressTimer : m_repeatTimer;
}

void TForm1::SetTimerEnabled(Timer which, bool enabled)
{
    if (enabled)
        timer(which).start();
    else
        timer(which).stop();
}

bool TForm1::TimerEnabled(Timer which) const
{
    return timer(which).isActive();
}

void TForm1::SetTimerInterval(Timer which, int milliseconds)
{
    timer(which).setInterval(milliseconds);
}

void TForm1::UpdateProgressBar(const ProgressBarModel &bar)
{
    QProgressBar *progress = m_ui->ProgressBar1;
    progress->setRange(bar.minimum, bar.maximum);
    progress->setValue(bar.position);
    progress->setEnabled(bar.enabled);
    QColor background = WindowBlue;
    if (bar.background == ProgressBarModel::Background::Running)
        background = Qt::yellow;
    else if (bar.background == ProgressBarModel::Background::Board)
        background = toQColor(m_objects.state->bgColor);
    QPalette palette = progress->palette();
    palette.setColor(QPalette::Base, background);
    palette.setColor(QPalette::Window, background);
    progress->setPalette(palette);
    progress->repaint();
}

void TForm1::SetStartCaption(const QString &caption)
{
    m_ui->BStart->setText(caption);
}

void TForm1::SetTurnButtonsEnabled(bool enabled)
{
    m_ui->Button3->setEnabled(enabled);
    m_ui->Button4->setEnabled(enabled);
}

void TForm1::SetTurnButtonsVisible(bool visible)
{
    m_ui->Button3->setVisible(visible);
    m_ui->Button4->setVisible(visible);
}

void TForm1::SetGameControlsEnabled(bool enabled)
{
    for (QWidget *control : {static_cast<QWidget *>(m_ui->TBGameSpeed), static_cast<QWidget *>(m_ui->BStart),
                             static_cast<QWidget *>(m_ui->BSettings), static_cast<QWidget *>(m_ui->Label8),
                             static_cast<QWidget *>(m_ui->Image3), static_cast<QWidget *>(m_ui->Image4)})
        control->setEnabled(enabled);
}

int TForm1::SpeedPosition() const
{
    return m_ui->TBGameSpeed->value();
}

void TForm1::SetSpeedPosition(int position)
{
    m_ui->TBGameSpeed->setValue(position);
}

void TForm1::FocusPageControl()
{
    m_ui->PageControl1->setFocus();
}

void TForm1::ShowInformation(const QString &text)
{
    MessageBoxes::information(this, text);
}

int TForm1::ScanDictionaries()
{
    return m_library->Scan();
}

int TForm1::CurrentDictionaryStatus() const
{
    return m_library->file->status;
}

void TForm1::NextDictionary()
{
    stepDictionary(&DictLibrary::Next, m_ui->BNextDict, false);
}

bool TForm1::ExcludeChecked() const
{
    return m_ui->CBExclude->isChecked();
}

void TForm1::SetExcludeChecked(bool checked)
{
    m_ui->CBExclude->setChecked(checked);
}

bool TForm1::RepeatChecked() const
{
    return m_ui->CBRepeat->isChecked();
}
