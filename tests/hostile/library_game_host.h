#pragma once

#include "game/fake_game_host.h"

#include <QHash>
#include <QString>

class DictLibrary;

// The fake main window of the game tests, with its simulated folder replaced
// by a real dictionary library over a real folder: the scan, the status, ">>"
// and the word store rebuild all go through the library, as in the program.
// The two check boxes keep their flags in memory, by path.
class LibraryGameHost : public FakeGameHost
{
public:
    LibraryGameHost(ProcessObjects &objects, DictLibrary &library);
    void attach(GameEngine *engine);

    // The dictionary change: check boxes from the flags, a new word store.
    void refresh();

    int ScanDictionaries() override;
    int CurrentDictionaryStatus() const override;
    void NextDictionary() override;
    bool ExcludeChecked() const override;
    void SetExcludeChecked(bool checked) override;
    bool RepeatChecked() const override;

    int steps = 0;

private:
    QString currentPath() const;

    ProcessObjects &m_objects;
    DictLibrary &m_library;
    GameEngine *m_engine = nullptr;
    QHash<QString, bool> m_exclude;
    QHash<QString, bool> m_repeat;
    bool m_excludeBox = false;
    bool m_repeatBox = false;
};
