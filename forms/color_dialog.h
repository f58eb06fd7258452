#pragma once

#include "app/program_state.h"

#include <QColor>
#include <QDialog>

#include <memory>
#include <optional>

class QFrame;
class Speech;

namespace Ui {
class GameColorDialog;
}

// The settings dialog: the three game colours, the game mode, the game timer,
// the font of the game labels and pronunciation. Its controls are a working copy of these
// settings; OK copies them into the program state, Cancel and the close box
// drop them, and "Сброс" writes the defaults into the program state at once
// and closes as cancelled.
class TGameColorDialog : public QDialog
{
    Q_OBJECT

public:
    // The custom colour the colour picker offers.
    static constexpr Colour CustomColour = 0xE0FCE1;

    // speech, when given, tells whether pronunciation can be had at all;
    // ticking "Произношение" starts it, to find that out.
    TGameColorDialog(PRG_STAT &state, QWidget *mainWindow, Speech *speech = nullptr);
    ~TGameColorDialog() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate(QWidget *mainWindow);
    void chooseColour(QFrame *swatch);
    void FontLabelClick();
    void ChangeLabel(const QString &fontName, int fontSize, std::uint8_t fontStyle);
    void OKBtnClick();
    void Button4Click();
    void showMode(int mode);
    void showSpeechStatus();
    void showMeaningsSetting();
    void CBSpeakClick(bool checked);

    PRG_STAT &m_state;
    Speech *m_speech = nullptr;
    std::unique_ptr<Ui::GameColorDialog> m_ui;
    // The colour last confirmed in the colour picker while this dialog lives.
    std::optional<QColor> m_pickedColour;
    // The font the preview shows, as OK will store it.
    QString m_fontName;
    int m_fontSize = 0;
    std::uint8_t m_fontStyle = 0;
};
