#include "platform/toolkit_settings.h"

#include <QSettings>

void ToolkitSettings::keepInMemory()
{
    // The dialogs use the native format of the user scope; the program's own
    // settings are an INI file, whose place this leaves alone. Below a device
    // no folder can ever be made, so nothing is read or written there.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("/dev/null/lexomat"));
}
