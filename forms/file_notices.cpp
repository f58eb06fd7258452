#include "forms/file_notices.h"

#include "dict/conflict_copies.h"
#include "dict/merge_report.h"
#include "dict/save_rescue.h"
#include "dict/word_file.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace {

QString shown(const QString &path)
{
    return u"«"_s + QDir::toNativeSeparators(path) + u"»"_s;
}

// The English words of some dictionary lines, the first few of them.
QString wordsOf(const QStringList &lines)
{
    constexpr qsizetype Shown = 5;
    QStringList words;
    for (qsizetype i = 0; i < lines.size() && i < Shown; ++i)
        words.append(lines[i].section(u',', 0, 0));
    QString text = words.join(u", "_s);
    if (lines.size() > Shown)
        text += u" и ещё %1"_s.arg(lines.size() - Shown);
    return text;
}

} // namespace

QString FileNotices::reason(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return u"нет прав доступа"_s;
    case EROFS:
        return u"диск открыт только для чтения"_s;
    case ENOSPC:
    case EDQUOT:
        return u"на диске нет места"_s;
    case ENOENT:
        return u"папка не найдена"_s;
    case EISDIR:
    case EINVAL:
        return u"это не файл словаря"_s;
    case WordFile::NotLoaded:
        return u"его не удалось прочитать, и перезапись стёрла бы его содержимое"_s;
    default:
        return u"ошибка ввода-вывода (код %1)"_s.arg(error);
    }
}

QString FileNotices::unreadableDictionary(const QString &path, int error)
{
    return u"Словарь %1 не удаётся прочитать: %2.\n\n"
           "Он показан пустым, но файл не изменён. Изменить этот словарь нельзя, "
           "пока файл не станет доступен для чтения."_s.arg(shown(path), reason(error));
}

QString FileNotices::dictionaryNotEditable(const QString &path)
{
    return u"Словарь %1 не удаётся прочитать, поэтому изменить его нельзя.\n"
           "Файл остаётся как есть."_s.arg(shown(path));
}

QString FileNotices::newDictionaryNotCreated(const QString &path, int error)
{
    return u"Не удалось создать новый словарь %1: %2.\n"
           "Слово не добавлено."_s.arg(shown(path), reason(error));
}

QString FileNotices::saveFailed(const SaveFailure &failure)
{
    const QString head = u"Не удалось записать словарь %1: %2."_s.arg(shown(failure.path), reason(failure.error));
    if (failure.rescuedTo.isEmpty())
        return head + u"\n\nСохранить изменения в запасной файл тоже не удалось."_s;
    return head + u"\n\nВсе слова словаря с вашими изменениями сохранены в файле\n%1.\n"
                  "Его можно открыть на закладке \"Словари\" щелчком по заголовку списка."_s.arg(shown(failure.rescuedTo));
}

QString FileNotices::settingsDamaged(const QString &file, const QString &keptAs)
{
    const QString head = u"Файл настроек %1 повреждён или не читается.\n"
                         "Настройки, которые удалось прочитать, сохранены, остальные заданы по умолчанию."_s.arg(shown(file));
    if (keptAs.isEmpty())
        return head;
    return head + u"\n\nПрежний файл сохранён как %1."_s.arg(shown(keptAs));
}

QString FileNotices::settingsNotWritten(const QString &file)
{
    return u"Не удалось записать файл настроек %1: нет прав на запись или нет места на диске.\n"
           "Изменения настроек этого сеанса не сохранены."_s.arg(shown(file));
}

QString FileNotices::dictionaryMerged(const DictionaryMerge &merge)
{
    const LineMerge::Result &result = merge.merge;
    QString text = u"Словарь %1 изменился на диске, пока был открыт здесь (например, его изменили на другом компьютере).\n"
                   "Чтобы ничего не потерять, обе версии объединены:"_s.arg(shown(merge.path));
    if (!result.added.isEmpty())
        text += u"\n\u2022 добавлено из версии на диске: %1 (%2)"_s.arg(result.added.size()).arg(wordsOf(result.added));
    if (!result.removed.isEmpty())
        text += u"\n\u2022 удалено, как в версии на диске: %1 (%2)"_s.arg(result.removed.size()).arg(wordsOf(result.removed));
    if (!result.bothChanged.isEmpty()) {
        QStringList changed;
        for (const auto &[ours, theirs] : result.bothChanged)
            changed += ours;
        text += u"\n\u2022 изменено и здесь, и там, оставлены обе версии: %1 (%2)"_s.arg(result.bothChanged.size())
                    .arg(wordsOf(changed));
    }
    return text;
}

QString FileNotices::conflictCopyFound(const ConflictCopies::Copy &copy, qsizetype others)
{
    QString text = u"Найдена копия словаря %1, созданная при синхронизации"_s.arg(QFileInfo(copy.originalPath).fileName());
    if (others > 0)
        text += u" (и ещё копий: %1)"_s.arg(others);
    return text;
}

QString FileNotices::conflictCopyMerged(const ConflictCopies::Copy &copy, const ConflictCopies::Merged &merged)
{
    using Failure = ConflictCopies::Merged::Failure;
    const QString original = shown(copy.originalPath);
    switch (merged.failure) {
    case Failure::None:
        break;
    case Failure::NotDictionary:
    case Failure::CopyUnreadable:
        return u"Копию %1 не удаётся прочитать как словарь. Она оставлена как есть."_s.arg(shown(copy.path));
    case Failure::DictionaryUnreadable:
        return u"Словарь %1 не удаётся прочитать, поэтому слова копии в него не добавлены. Копия оставлена как есть."_s
            .arg(original);
    case Failure::DictionaryNotWritten:
        return u"Не удалось записать словарь %1: %2.\nСлова копии в него не добавлены, копия оставлена как есть."_s
            .arg(original, reason(merged.error));
    case Failure::NotMoved:
        return u"Слова копии добавлены в словарь %1, но саму копию не удалось перенести в папку «%2»."_s.arg(
            original, ConflictCopies::KeptFolder.toString());
    }
    const QString where = shown(QFileInfo(merged.keptAs).absolutePath());
    if (merged.added == 0)
        return u"Все слова копии уже есть в словаре %1.\nКопия перенесена в папку %2."_s.arg(original, where);
    return u"В словарь %1 добавлено слов из копии: %2.\nКопия перенесена в папку %3."_s.arg(original).arg(merged.added).arg(where);
}
