#include "reading/zip_archive.h"

#include <QDir>
#include <QMutex>
#include <QPluginLoader>

using namespace Qt::StringLiterals;

namespace {

struct Source
{
    QMutex mutex;
    ZipArchives::Maker maker;
    QStringList candidates; // a module not loaded yet
    QString problem;        // why it could not be
    // The loader of the module stays as long as the program: the factory
    // that makes the archives lives in it.
    std::unique_ptr<QPluginLoader> loader;
};

Source &source()
{
    static Source instance;
    return instance;
}

} // namespace

namespace ZipArchives {

void SetMaker(Maker maker)
{
    Source &s = source();
    const QMutexLocker lock(&s.mutex);
    s.maker = std::move(maker);
    s.candidates.clear();
}

void UseModule(const QStringList &candidates)
{
    Source &s = source();
    const QMutexLocker lock(&s.mutex);
    if (!s.maker && s.problem.isEmpty())
        s.candidates = candidates;
}

QStringList ModuleCandidates(const QString &programDir)
{
    const QDir dir(programDir);
    const QString name = u"lexomat-zip.so"_s;
    return {dir.filePath(name), QDir::cleanPath(dir.filePath(QStringLiteral(LEXOMAT_ZIP_MODULE_DIR "/") + name))};
}

std::unique_ptr<ZipArchive> Make(QString *problem)
{
    Source &s = source();
    const QMutexLocker lock(&s.mutex);
    if (!s.maker && !s.candidates.isEmpty()) {
        QStringList errors;
        for (const QString &candidate : std::as_const(s.candidates)) {
            if (!QFileInfo::exists(candidate))
                continue;
            auto loader = std::make_unique<QPluginLoader>(candidate);
            if (auto *factory = qobject_cast<ZipArchiveFactory *>(loader->instance())) {
                s.maker = [factory] { return std::unique_ptr<ZipArchive>(factory->createArchive()); };
                s.loader = std::move(loader);
                break;
            }
            errors.append(loader->errorString());
        }
        if (!s.maker)
            s.problem = errors.isEmpty() ? s.candidates.join(u", "_s) : errors.join(u"; "_s);
        s.candidates.clear();
    }
    if (!s.maker) {
        if (problem)
            *problem = s.problem.isEmpty() ? u"no ZIP reader"_s : s.problem;
        return nullptr;
    }
    return s.maker();
}

} // namespace ZipArchives
