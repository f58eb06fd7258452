#include "app/program_state.h"
#include "app/registry.h"
#include "app/settings.h"
#include "dict/dict_library.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <map>

using namespace Qt::StringLiterals;

namespace {

void writeDictionary(const QString &path, int lineCount)
{
    WordFile file(path);
    file.lines.clear();
    for (int i = 0; i < lineCount; ++i)
        file.lines << u"word%1,слово%1,"_s.arg(i);
    QCOMPARE(file.Save(), 1);
}

// One stored value of the root key.
struct Setting
{
    QString name;
    QVariant stored; // QString is written as text, int as a number
};

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_startDir;
    QString m_work;     // the working folder of the "process"
    QString m_words;    // a dictionary folder of its own, ending with '/'
    QString m_settings; // the settings file

    QString defaultFolder() const { return m_work + u"/dict/"_s; }

    void writeRoot(const QList<Setting> &values)
    {
        INIT registry(m_settings);
        registry.OpenKey(INIT::RootKey, true);
        for (const Setting &value : values) {
            if (value.stored.typeId() == QMetaType::QString)
                registry.WriteString(value.name, value.stored.toString());
            else
                registry.WriteInteger(value.name, value.stored.toInt());
        }
        registry.CloseKey();
    }

    // Every value of the root key the load reads, all different from the
    // defaults.
    QList<Setting> storedValues() const
    {
        return {
            {u"DEFAULT_DICT_DIR"_s, m_words},
            {u"DEFAULT_DICT"_s, QString(m_words + u"tom_3.wrd"_s)},
            {u"DEFAULT_MODE"_s, 1},
            {u"DEFAULT_SPEED"_s, 3000},
            {u"DEFAULT_BGCOLOR"_s, 0x00102030},
            {u"DEFAULT_ACOLOR"_s, 0x00405060},
            {u"DEFAULT_PCOLOR"_s, 0x00708090},
            {u"TIMER"_s, 0},
            {u"FONT_NAME"_s, u"Arial"_s},
            {u"FONT_SIZE"_s, 12},
            {u"START_FIELDS"_s, 80},
            {u"START_FIELDS1"_s, 190},
            {u"SPEAK_WORDS"_s, 1},
            {u"SUGGEST_MEANINGS"_s, 0},
        };
    }

private Q_SLOTS:
    void initTestCase() { m_startDir = QDir::currentPath(); }

    void init()
    {
        m_tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_tmp->isValid());
        m_work = m_tmp->filePath(u"work"_s);
        m_words = m_tmp->filePath(u"words"_s) + u'/';
        m_settings = m_tmp->filePath(u"LX.ini"_s);
        QVERIFY(QDir().mkpath(m_work));
        QVERIFY(QDir().mkpath(m_words));
        QVERIFY(QDir::setCurrent(m_work));
        writeDictionary(m_words + u"tom_0.wrd"_s, 10);
        writeDictionary(m_words + u"tom_3.wrd"_s, 10);
    }

    void cleanup() { QDir::setCurrent(m_startDir); }

    void defaultsOnAnEmptyStore_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::newRow("working folder") << QString();
        QTest::newRow("working folder with slash") << u"/"_s;
    }

    void defaultsOnAnEmptyStore()
    {
        QFETCH(QString, suffix);
        PRG_STAT state;
        INIT registry(m_settings);
        LoadedSettings loaded = LoadSettings(state, registry, QString(m_work + suffix));

        const PRG_STAT fresh;
        QCOMPARE(state.mode, fresh.mode);
        QCOMPARE(state.timerOn, fresh.timerOn);
        QCOMPARE(state.bgColor, Colour(0xFF80FF));
        QCOMPARE(state.activeColor, Colour(0x00FFFF));
        QCOMPARE(state.passiveColor, Colour(0));
        QCOMPARE(state.fontName, u"MS Sans Serif"_s);
        QCOMPARE(state.fontSize, 10);
        QCOMPARE(state.fontStyle, 0);
        QCOMPARE(state.wordColumnBase, 67);
        QCOMPARE(state.wordColumnLeft, 67);
        QCOMPARE(state.meaningColumnBase, 169);
        QCOMPARE(state.meaningColumnLeft, 169);
        QCOMPARE(state.speakWords, 0);
        QCOMPARE(state.suggestMeanings, 1);
        QCOMPARE(state.defaultDictDir, defaultFolder());
        QCOMPARE(state.dictDir, defaultFolder());
        QCOMPARE(loaded.speed, std::nullopt);
        QCOMPARE(loaded.errors, QStringList());
        QVERIFY(loaded.library);
        QCOMPARE(loaded.library->currentPath, QString(defaultFolder() + u"tom_0.wrd"_s));
        QVERIFY(QFileInfo(loaded.library->currentPath).isFile());

        SaveSettings(state, registry, 6500, loaded.library);
        QVERIFY(!loaded.library);
        INIT check(m_settings);
        check.OpenKey(INIT::RootKey, true);
        QCOMPARE(check.ReadString(u"FIRST_LANCH"_s), u"NO"_s);
        QCOMPARE(check.ReadString(u"DEFAULT_DICT_DIR"_s), defaultFolder());
        QCOMPARE(check.ReadString(u"DEFAULT_DICT"_s), QString(defaultFolder() + u"tom_0.wrd"_s));
        QCOMPARE(check.ReadInteger(u"DEFAULT_SPEED"_s), 6500);
        QCOMPARE(check.ReadInteger(u"DEFAULT_BGCOLOR"_s), 0xFF80FF);
        QCOMPARE(check.ReadString(u"FONT_NAME"_s), u"MS Sans Serif"_s);
        QCOMPARE(check.ReadInteger(u"SPEAK_WORDS"_s), 0);
        for (const Setting &value : storedValues())
            QVERIFY2(check.ValueExists(value.name), qPrintable(value.name));
    }

    void allValuesRoundTrip()
    {
        {
            PRG_STAT state;
            INIT registry(m_settings);
            LoadedSettings loaded = LoadSettings(state, registry, m_work);
            // The user moves to another folder and dictionary, changes every
            // setting and moves the columns.
            state.dictDir = m_words;
            loaded.library = std::make_unique<DictLibrary>(m_words, state.defaultDictDir, m_words + u"tom_3.wrd"_s);
            state.mode = ModeFlash;
            state.timerOn = 0;
            state.bgColor = 0x00123456;
            state.activeColor = 0x00ABCDEF;
            state.passiveColor = 0x00010203;
            state.fontName = u"Times New Roman"_s;
            state.fontSize = 14;
            state.fontStyle = FontBold;
            state.wordColumnLeft = 90;
            state.meaningColumnLeft = 200;
            state.speakWords = 1;
            state.suggestMeanings = 0;
            SaveSettings(state, registry, 9000, loaded.library);
        }
        PRG_STAT state;
        INIT registry(m_settings);
        const LoadedSettings loaded = LoadSettings(state, registry, m_work);
        QCOMPARE(loaded.errors, QStringList());
        QCOMPARE(state.dictDir, m_words);
        QCOMPARE(loaded.library->currentPath, QString(m_words + u"tom_3.wrd"_s));
        QCOMPARE(state.mode, ModeFlash);
        QCOMPARE(loaded.speed, std::optional<int>(9000));
        QCOMPARE(state.timerOn, 0);
        QCOMPARE(state.bgColor, Colour(0x00123456));
        QCOMPARE(state.activeColor, Colour(0x00ABCDEF));
        QCOMPARE(state.passiveColor, Colour(0x00010203));
        QCOMPARE(state.fontName, u"Times New Roman"_s);
        QCOMPARE(state.fontSize, 14);
        QCOMPARE(state.fontStyle, 0); // the style lasts one run
        QCOMPARE(state.wordColumnBase, 90);
        QCOMPARE(state.wordColumnLeft, 90);
        QCOMPARE(state.meaningColumnBase, 200);
        QCOMPARE(state.meaningColumnLeft, 200);
        QCOMPARE(state.speakWords, 1);
        QCOMPARE(state.suggestMeanings, 0);
        registry.OpenKey(INIT::RootKey, true);
        QCOMPARE(registry.ReadString(u"FIRST_LANCH"_s), u"NO"_s);
        QCOMPARE(registry.ReadInteger(u"SPEAK_WORDS"_s), 1);
    }

    void startFieldsGiveBaseAndLeft()
    {
        writeRoot({{u"START_FIELDS"_s, 90}});
        PRG_STAT state;
        INIT registry(m_settings);
        LoadedSettings loaded = LoadSettings(state, registry, m_work);
        QCOMPARE(state.wordColumnBase, 90);
        QCOMPARE(state.wordColumnLeft, 90);
        QCOMPARE(state.meaningColumnBase, 169);
        QCOMPARE(state.meaningColumnLeft, 169);

        state.wordColumnLeft = 120; // the user drags the column
        SaveSettings(state, registry, 6500, loaded.library);
        registry.OpenKey(INIT::RootKey, true);
        QCOMPARE(registry.ReadInteger(u"START_FIELDS"_s), 120);
    }

    void wrongTypeKeepsItsDefault_data()
    {
        QTest::addColumn<QString>("name");
        for (const Setting &value : storedValues())
            QTest::newRow(qPrintable(value.name)) << value.name;
    }

    void wrongTypeKeepsItsDefault()
    {
        QFETCH(QString, name);
        QList<Setting> values = storedValues();
        for (Setting &value : values) {
            if (value.name == name)
                value.stored = value.stored.typeId() == QMetaType::QString ? QVariant(7) : QVariant(u"7"_s);
        }
        writeRoot(values);

        PRG_STAT state;
        INIT registry(m_settings);
        const LoadedSettings loaded = LoadSettings(state, registry, m_work);
        QCOMPARE(loaded.errors, QStringList{u"Invalid data type for '%1'"_s.arg(name)});
        QVERIFY(loaded.library);

        const auto is = [&name](const char *which) { return name == QLatin1String(which); };
        QCOMPARE(state.dictDir, is("DEFAULT_DICT_DIR") ? defaultFolder() : m_words);
        // Without DEFAULT_DICT the folder's first dictionary opens. Without
        // the folder, the stored dictionary is not listed in the default
        // folder, which has none with room, so the stored one itself opens.
        QCOMPARE(loaded.library->currentPath,
                 QString(m_words + (is("DEFAULT_DICT") ? u"tom_0.wrd"_s : u"tom_3.wrd"_s)));
        QCOMPARE(state.mode, is("DEFAULT_MODE") ? 0 : 1);
        QCOMPARE(loaded.speed, is("DEFAULT_SPEED") ? std::nullopt : std::optional<int>(3000));
        QCOMPARE(state.bgColor, is("DEFAULT_BGCOLOR") ? Colour(0xFF80FF) : Colour(0x00102030));
        QCOMPARE(state.activeColor, is("DEFAULT_ACOLOR") ? Colour(0x00FFFF) : Colour(0x00405060));
        QCOMPARE(state.passiveColor, is("DEFAULT_PCOLOR") ? Colour(0) : Colour(0x00708090));
        QCOMPARE(state.timerOn, is("TIMER") ? 1 : 0);
        QCOMPARE(state.fontName, is("FONT_NAME") ? u"MS Sans Serif"_s : u"Arial"_s);
        QCOMPARE(state.fontSize, is("FONT_SIZE") ? 10 : 12);
        QCOMPARE(state.wordColumnBase, is("START_FIELDS") ? 67 : 80);
        QCOMPARE(state.wordColumnLeft, state.wordColumnBase);
        QCOMPARE(state.meaningColumnBase, is("START_FIELDS1") ? 169 : 190);
        QCOMPARE(state.meaningColumnLeft, state.meaningColumnBase);
        QCOMPARE(state.speakWords, is("SPEAK_WORDS") ? 0 : 1);
        QCOMPARE(state.suggestMeanings, is("SUGGEST_MEANINGS") ? 1 : 0);
    }

    // A value no control can show takes its default; the edges of each
    // range are kept.
    void outOfRangeKeepsItsDefault_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("kept");
        const auto row = [](const char *name, int stored, bool kept) {
            QTest::addRow("%s=%d", name, stored) << QString::fromLatin1(name) << stored << kept;
        };
        row("DEFAULT_MODE", 7, false);
        row("DEFAULT_MODE", -1, false);
        row("DEFAULT_MODE", 2, true);
        row("DEFAULT_SPEED", 1999, false);
        row("DEFAULT_SPEED", 11001, false);
        row("DEFAULT_SPEED", 2000, true);
        row("DEFAULT_SPEED", 11000, true);
        row("DEFAULT_BGCOLOR", 0x1000000, false);
        row("DEFAULT_ACOLOR", -1, false);
        row("DEFAULT_PCOLOR", 0xFFFFFF, true);
        row("TIMER", 2, false);
        row("FONT_SIZE", 0, false);
        row("FONT_SIZE", 500, false);
        row("FONT_SIZE", 72, true);
        row("START_FIELDS", -5, false);
        row("START_FIELDS", 400, false);
        row("START_FIELDS", 0, true);
        row("START_FIELDS1", 352, false);
        row("START_FIELDS1", 351, true);
        row("SPEAK_WORDS", 2, false);
        row("SPEAK_WORDS", -1, false);
        row("SPEAK_WORDS", 1, true);
        row("SUGGEST_MEANINGS", 2, false);
        row("SUGGEST_MEANINGS", 0, true);
    }

    void outOfRangeKeepsItsDefault()
    {
        QFETCH(QString, name);
        QFETCH(int, stored);
        QFETCH(bool, kept);
        writeRoot({{name, stored}});

        PRG_STAT state;
        INIT registry(m_settings);
        const LoadedSettings loaded = LoadSettings(state, registry, m_work);
        QVERIFY(loaded.errors.isEmpty());
        const PRG_STAT defaults;
        const std::map<QString, std::pair<qint64, qint64>> readBack{
            {u"DEFAULT_MODE"_s, {state.mode, defaults.mode}},
            {u"DEFAULT_SPEED"_s, {loaded.speed.value_or(-1), -1}},
            {u"DEFAULT_BGCOLOR"_s, {state.bgColor, defaults.bgColor}},
            {u"DEFAULT_ACOLOR"_s, {state.activeColor, defaults.activeColor}},
            {u"DEFAULT_PCOLOR"_s, {state.passiveColor, defaults.passiveColor}},
            {u"TIMER"_s, {state.timerOn, defaults.timerOn}},
            {u"FONT_SIZE"_s, {state.fontSize, defaults.fontSize}},
            {u"START_FIELDS"_s, {state.wordColumnLeft, defaults.wordColumnLeft}},
            {u"START_FIELDS1"_s, {state.meaningColumnLeft, defaults.meaningColumnLeft}},
            {u"SPEAK_WORDS"_s, {state.speakWords, defaults.speakWords}},
            {u"SUGGEST_MEANINGS"_s, {state.suggestMeanings, defaults.suggestMeanings}},
        };
        const auto [value, fallback] = readBack.at(name);
        const qint64 asStored = name.contains(u"COLOR"_s) ? qint64(quint32(stored)) : qint64(stored);
        QCOMPARE(value, kept ? asStored : fallback);
    }

    void goneDictionaryOpensTheFirstWithRoom()
    {
        writeDictionary(m_words + u"tom_0.wrd"_s, 70);
        writeDictionary(m_words + u"tom_1.wrd"_s, 12);
        writeRoot({{u"DEFAULT_DICT_DIR"_s, m_words}, {u"DEFAULT_DICT"_s, QString(m_words + u"tom_5.wrd"_s)}});
        PRG_STAT state;
        INIT registry(m_settings);
        const LoadedSettings loaded = LoadSettings(state, registry, m_work);
        QCOMPARE(loaded.errors, QStringList());
        QCOMPARE(loaded.library->currentPath, QString(m_words + u"tom_1.wrd"_s));
        QCOMPARE(loaded.library->file->lines.size(), 12);
        QVERIFY(!QFile::exists(m_words + u"tom_5.wrd"_s));
    }

    void goneFolderFallsBackButStaysStored()
    {
        const QString gone = m_tmp->filePath(u"gone/"_s);
        writeRoot({{u"DEFAULT_DICT_DIR"_s, gone}});
        PRG_STAT state;
        INIT registry(m_settings);
        LoadedSettings loaded = LoadSettings(state, registry, m_work);
        QCOMPARE(state.dictDir, gone);
        QCOMPARE(loaded.library->folder, defaultFolder());
        SaveSettings(state, registry, 6500, loaded.library);
        registry.OpenKey(INIT::RootKey, true);
        QCOMPARE(registry.ReadString(u"DEFAULT_DICT_DIR"_s), gone);
    }

    void saveWritesTheEditedDictionary()
    {
        writeRoot({{u"DEFAULT_DICT_DIR"_s, m_words}, {u"DEFAULT_DICT"_s, QString(m_words + u"tom_3.wrd"_s)}});
        PRG_STAT state;
        INIT registry(m_settings);
        LoadedSettings loaded = LoadSettings(state, registry, m_work);
        loaded.library->file->lines << u"cat,кот,"_s;
        loaded.library->file->modified = 1;
        SaveSettings(state, registry, 6500, loaded.library);
        QVERIFY(!loaded.library);
        const WordFile saved(m_words + u"tom_3.wrd"_s);
        QCOMPARE(saved.lines.size(), 11);
        QCOMPARE(saved.lines.last(), u"cat,кот,"_s);
    }

    void dictionaryIsSavedWhenTheSettingsFileIsNot()
    {
        const QString blocker = m_tmp->filePath(u"not-a-dir"_s);
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        PRG_STAT state;
        state.dictDir = m_words;
        INIT registry(blocker + u"/LX.ini"_s);
        auto library = std::make_unique<DictLibrary>(m_words, defaultFolder(), m_words + u"tom_0.wrd"_s);
        library->file->lines << u"dog,собака,"_s;
        library->file->modified = 1;
        SaveSettings(state, registry, 6500, library);
        QVERIFY(registry.writeFailed());
        QVERIFY(!library);
        QCOMPARE(WordFile(m_words + u"tom_0.wrd"_s).lines.last(), u"dog,собака,"_s);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
