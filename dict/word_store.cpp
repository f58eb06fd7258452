#include "dict/word_store.h"

#include "dict/random.h"

#include <algorithm>

void SWORDW::SetText(QStringView text)
{
    const auto length = std::min<qsizetype>(text.size(), Capacity - 1);
    std::copy_n(text.utf16(), length, m_text.begin());
    m_text[static_cast<std::size_t>(length)] = u'\0';
}

QString SWORDW::Text() const
{
    const auto end = std::find(m_text.begin(), m_text.end(), u'\0');
    return QString(reinterpret_cast<const QChar *>(m_text.data()), end - m_text.begin());
}

BWORDW::BWORDW(int fieldCount)
    : fieldCount(fieldCount)
    , fields(static_cast<std::size_t>(std::max(fieldCount, 0)))
{
}

BWORDW &BWORDW::ParseLine(QChar separator, QStringView line)
{
    // Fields go through a scratch cell of the same size, so an overlong field
    // is cut there and nothing is ever written past a cell.
    std::array<char16_t, SWORDW::Capacity> scratch{};
    qsizetype p = 0;
    for (const QChar ch : line) {
        if (ch == QChar(u'\0'))
            break;
        if (ch == separator) {
            AppendField(QStringView(scratch.data(), p));
            p = 0;
        } else if (p < SWORDW::Capacity - 1) {
            scratch[static_cast<std::size_t>(p++)] = ch.unicode();
        }
    }
    return *this;
}

bool BWORDW::AppendField(QStringView text)
{
    if (filled >= static_cast<std::uint32_t>(std::max(fieldCount, 0)))
        return false;
    fields[filled].SetText(text);
    ++filled;
    return true;
}

QString BWORDW::FieldText(int index) const
{
    if (index < 0 || index >= fieldCount)
        return {};
    return fields[static_cast<std::size_t>(index)].Text();
}

void BWORDW::Clear()
{
    for (auto &field : fields)
        field.SetText({});
    filled = 0;
    used = 0;
}

GWORDW::GWORDW(int capacity)
    : m_words(static_cast<std::size_t>(std::max(capacity, 0) + 2), BWORDW(4))
    , m_limit(std::max(capacity, 0) + 1)
{
}

bool GWORDW::LoadLines(const QStringList &lines)
{
    const int n = static_cast<int>(std::min<qsizetype>(lines.size(), m_limit));
    for (int i = 0; i < n; ++i)
        m_words[static_cast<std::size_t>(i)].ParseLine(QLatin1Char(','), lines.at(i));
    m_count = n;
    m_available = m_count;
    return true;
}

BWORDW *GWORDW::DrawWord()
{
    // The seed is the time in whole seconds as a 32-bit value: the high half is 0.
    Random::seed(static_cast<quint32>(Clock::nowSeconds()));
    BWORDW *candidate = nullptr;
    for (int attempt = 1;; ++attempt) {
        if (m_count > 0)
            candidate = &m_words[static_cast<std::size_t>(Random::next15() % m_count)];
        if (attempt > 1000)
            return nullptr;
        if (candidate && candidate->used == 0)
            break;
    }
    MarkUsed(candidate);
    return candidate;
}

void GWORDW::MarkUsed(BWORDW *word)
{
    word->used = 1;
    --m_available;
}

void GWORDW::MarkAvailable(BWORDW *word)
{
    word->used = 0;
    ++m_available;
}

void GWORDW::MarkAllAvailable()
{
    for (int i = 0; i < m_count; ++i)
        m_words[static_cast<std::size_t>(i)].used = 0;
    m_available = m_count;
}
