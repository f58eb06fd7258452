#include "forms/file_notices.h"

#include "dict/save_rescue.h"
#include "dict/word_file.h"

#include <QDir>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace {

QString shown(const QString &path)
{
    return u"«"_s + QDir::toNativeSeparators(path) + u"»"_s;
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
