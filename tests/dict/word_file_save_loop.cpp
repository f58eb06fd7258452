// Saves the dictionary named on the command line over and over, switching
// between the two known contents, until it is killed.
#include "dict/word_file.h"
#include "save_loop_versions.h"

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    WordFile file(QString::fromLocal8Bit(argv[1]));
    const QStringList versions[2] = {SaveLoop::version(0), SaveLoop::version(1)};
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    for (int i = 1;; ++i) {
        file.lines = versions[i % 2];
        if (file.Save() != 1)
            return 1;
    }
}
