// One libFuzzer entry point; FUZZ_CHECK names the check it drives (see
// fuzz_checks.h). Any failed check aborts, so libFuzzer keeps the input.
#include "fuzz_checks.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[maybe_unused]] const QString &workFolder()
{
    // Saves end with a flush to the disk; in memory they cost nothing.
    static QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists()
                                    ? QStringLiteral("/dev/shm/lexomat-fuzz-XXXXXX")
                                    : QDir::tempPath() + QStringLiteral("/lexomat-fuzz-XXXXXX"));
    if (!folder.isValid())
        std::abort();
    static const QString path = folder.path();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString problem = FUZZ_CHECK;
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "check failed: %s\n", problem.toLocal8Bit().constData());
        std::abort();
    }
    return 0;
}
