#include "library_game_host.h"

#include "dict/dict_library.h"
#include "game/game_engine.h"

LibraryGameHost::LibraryGameHost(ProcessObjects &objects, DictLibrary &library)
    : FakeGameHost(objects)
    , m_objects(objects)
    , m_library(library)
{
}

void LibraryGameHost::attach(GameEngine *engine)
{
    setEngine(engine);
    m_engine = engine;
}

QString LibraryGameHost::currentPath() const
{
    return m_library.file ? m_library.file->path : QString();
}

void LibraryGameHost::refresh()
{
    SetExcludeChecked(m_exclude.value(currentPath()));
    m_repeatBox = m_repeat.value(currentPath());
    auto words = std::make_unique<GWORDW>(WordStoreCapacity);
    words->LoadLines(m_library.file ? m_library.file->lines : QStringList());
    m_objects.words = std::move(words);
    RefreshStatus();
}

int LibraryGameHost::ScanDictionaries()
{
    return m_library.Scan();
}

int LibraryGameHost::CurrentDictionaryStatus() const
{
    return m_library.file ? m_library.file->status : WordFile::Unreadable;
}

void LibraryGameHost::NextDictionary()
{
    if (++steps > RunawaySteps)
        qFatal("the game keeps stepping through the dictionaries");
    m_library.Next();
    // ">>": the game reset on the old store, then the dictionary change.
    m_engine->ResetGame();
    refresh();
}

bool LibraryGameHost::ExcludeChecked() const
{
    return m_excludeBox;
}

void LibraryGameHost::SetExcludeChecked(bool checked)
{
    if (m_excludeBox == checked)
        return;
    m_excludeBox = checked;
    m_exclude[currentPath()] = checked;
    if (checked && m_repeatBox) {
        m_repeatBox = false;
        m_repeat[currentPath()] = false;
    }
}

bool LibraryGameHost::RepeatChecked() const
{
    return m_repeatBox;
}
