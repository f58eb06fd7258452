// Saves the settings over and over, switching between the two known
// versions, until it is killed:
//   save_loop settings <settings file> <dictionary folder>
//     the settings alone, through SaveSettings without a library;
//   save_loop both <settings file> <dictionary folder>
//     the settings and an edited "tom_0.wrd" of the folder together, as the
//     main window's close does.
#include "app/registry.h"
#include "app/settings.h"
#include "dict/dict_library.h"
#include "dict/save_loop_versions.h"
#include "settings_versions.h"

#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    if (argc != 4)
        return 2;
    const bool withDictionary = std::strcmp(argv[1], "both") == 0;
    INIT registry(QString::fromLocal8Bit(argv[2]));
    const QString folder = QString::fromLocal8Bit(argv[3]);
    const SettingsVersions::Version settings[2] = {SettingsVersions::version(0, folder),
                                                   SettingsVersions::version(1, folder)};
    const QStringList lines[2] = {SaveLoop::version(0), SaveLoop::version(1)};
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    for (int i = 1;; ++i) {
        std::unique_ptr<DictLibrary> library;
        if (withDictionary) {
            library = std::make_unique<DictLibrary>(folder, folder, folder + QStringLiteral("tom_0.wrd"));
            library->file->lines = lines[i % 2];
            library->file->modified = 1;
        }
        SaveSettings(settings[i % 2].state, registry, settings[i % 2].speed, library);
    }
}
