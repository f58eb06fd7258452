// Records answers into the record at the given path, one transaction each,
// until it is killed:
//   progress_loop <record file>
// It says "ready" before it opens the record, so that kills also fall into
// the opening, the schema's creation and the journal's set-up.
#include "progress/progress_store.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    ProgressStore store;
    if (store.Open(QString::fromLocal8Bit(argv[1])) == ProgressStore::OpenResult::Failed) {
        std::fprintf(stderr, "%s\n", qPrintable(store.ErrorText()));
        return 1;
    }
    for (qint64 i = 0;; ++i) {
        AnswerEvent event;
        event.english = QStringLiteral("word%1").arg(i % 97);
        event.meanings = {QStringLiteral("значение %1").arg(i % 97), QString(), QString()};
        event.kind = static_cast<AnswerKind>(i % 5);
        if (!store.Record(event, QStringLiteral("tom_%1.wrd").arg(i % 3), 1700000000000 + i * 60000)) {
            std::fprintf(stderr, "%s\n", qPrintable(store.ErrorText()));
            return 1;
        }
    }
}
