// Pronunciation in the main window: the menu items that speak a word, and
// the window's side of the game's requests to speak one. All sound goes
// through Speech, which opens the engine only once it is asked to.
#include "forms/main_form.h"

#include "app/process_objects.h"
#include "dict/dict_library.h"
#include "dict/word_store.h"
#include "platform/speech.h"
#include "ui_main_form.h"

#include <QAction>
#include <QMenu>

namespace {

const QString PronounceCaption = QStringLiteral("Произнести");
const QKeySequence PronounceKey(Qt::Key_F5);

} // namespace

void TForm1::setUpPronunciation()
{
    m_speech = new Speech(this);
    connect(m_speech, &Speech::statusChanged, this, &TForm1::updatePronounceItems);

    // Both items stay hidden, and their key unused, while pronunciation is off.
    m_pronounceItems.append(m_listMenu->addSeparator());
    QAction *listItem = m_listMenu->addAction(PronounceCaption);
    listItem->setObjectName(QStringLiteral("NSpeakWord"));
    listItem->setShortcut(PronounceKey);
    listItem->setShortcutContext(Qt::WidgetShortcut);
    connect(listItem, &QAction::triggered, this, &TForm1::SpeakSelectedWord);
    m_pronounceItems.append(listItem);

    m_pronounceItems.append(m_gameMenu->addSeparator());
    QAction *gameItem = m_gameMenu->addAction(PronounceCaption);
    gameItem->setObjectName(QStringLiteral("NSpeakActive"));
    gameItem->setShortcut(PronounceKey);
    gameItem->setShortcutContext(Qt::WindowShortcut);
    addAction(gameItem);
    connect(gameItem, &QAction::triggered, this, &TForm1::SpeakActiveWord);
    m_pronounceItems.append(gameItem);
    m_gamePronounceItem = gameItem;

    connect(m_ui->PageControl1, &QTabWidget::currentChanged, this, &TForm1::updatePronounceItems);
}

void TForm1::updatePronounceItems()
{
    const bool on = m_objects.state->speakWords == 1;
    for (QAction *item : std::as_const(m_pronounceItems)) {
        item->setVisible(on);
        item->setEnabled(on && !m_speech->unavailable());
    }
    // The game page's key works on the game page only; on the dictionaries
    // page the same key belongs to the list.
    if (m_ui->PageControl1->currentIndex() != 0)
        m_gamePronounceItem->setEnabled(false);
}

// Called once the window shows and after the settings dialog: the engine
// starts only for a learner who has pronunciation on.
void TForm1::startPronunciationIfOn()
{
    if (m_objects.state->speakWords == 1)
        m_speech->start();
    updatePronounceItems();
}

void TForm1::PronounceWord(const QString &word)
{
    m_speech->start();
    m_speech->say(word);
}

void TForm1::SpeakSelectedWord()
{
    const int row = selectedRow();
    if (m_objects.state->speakWords != 1 || row < 0 || !m_library || !m_library->file
        || row >= m_library->file->lines.size())
        return;
    BWORDW record;
    record.ParseLine(u',', m_library->file->lines.at(row));
    PronounceWord(record.FieldText(0));
}

void TForm1::SpeakActiveWord()
{
    if (m_objects.state->speakWords == 1)
        PronounceWord(m_engine.ActiveWord());
}
