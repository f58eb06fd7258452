#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <cstdint>
#include <vector>

// A fixed text cell of 120 UTF-16 code units: at most 119 units of text and a
// terminating zero. Longer texts are cut to fit.
class SWORDW
{
public:
    static constexpr int Capacity = 120;

    virtual ~SWORDW() = default;
    virtual void SetText(QStringView text);
    QString Text() const;

private:
    std::array<char16_t, Capacity> m_text{};
};

// One word record: field 0 the English word, fields 1 to 3 its meanings, and
// the used mark of the game's pool.
class BWORDW
{
public:
    explicit BWORDW(int fieldCount = 4);

    // Stores the fields of one dictionary line: every field is the text
    // before a separator; text after the last separator is not a field.
    BWORDW &ParseLine(QChar separator, QStringView line);
    bool AppendField(QStringView text);
    // Empty for a field that was never stored or is out of range.
    QString FieldText(int index) const;
    void Clear();

    std::uint32_t filled = 0;
    std::int32_t fieldCount = 0;
    std::vector<SWORDW> fields;
    std::uint8_t used = 0;
};

// The words of the current dictionary while the game draws from them.
class GWORDW
{
public:
    explicit GWORDW(int capacity = 72);
    virtual ~GWORDW() = default;
    GWORDW(const GWORDW &) = delete;
    GWORDW &operator=(const GWORDW &) = delete;

    // Loads at most capacity + 1 lines into a freshly constructed store.
    bool LoadLines(const QStringList &lines);
    int WordCount() const { return m_count; }
    int AvailableCount() const { return m_available; }
    int Limit() const { return m_limit; }

    // A random available word, marked used; nullptr when a thousand picks
    // found none. Reseeds the generator from the clock first.
    BWORDW *DrawWord();
    void MarkUsed(BWORDW *word);
    void MarkAvailable(BWORDW *word);
    void MarkAllAvailable();

    BWORDW *Word(int index) { return &m_words[static_cast<std::size_t>(index)]; }

    // The six words of the current deal, in board order, and their texts.
    std::array<BWORDW *, 6> roundWords{};
    std::array<QString, 6> wordCaptions;
    std::array<QString, 6> meaningCaptions;

private:
    std::vector<BWORDW> m_words;
    int m_count = 0;
    int m_limit = 0;
    int m_available = 0;
};
