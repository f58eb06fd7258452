#pragma once

// Permission cases must hold for a learner's own account, also when the
// suite runs as root (CI does), whom permissions do not bind. Such a case
// runs its body in a child process that has given up root for the
// unprivileged account "nobody"; the body answers with a failure text, empty
// when everything held. Run by an ordinary user, the body runs in place.

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QString>

#include <functional>

#include <cerrno>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace Unprivileged {

struct Account
{
    uid_t uid;
    gid_t gid;
};

inline Account account()
{
    const passwd *entry = ::getpwnam("nobody");
    return entry ? Account{entry->pw_uid, entry->pw_gid} : Account{65534, 65534};
}

inline bool needed()
{
    return ::geteuid() == 0;
}

// Gives a folder tree to the account the bodies run as, so that they can
// work in it as its owner.
inline void handOver(const QString &path)
{
    if (!needed())
        return;
    const Account who = account();
    const auto give = [&who](const QString &entry) {
        (void)::lchown(QFile::encodeName(entry).constData(), who.uid, who.gid);
    };
    give(path);
    QDirIterator it(path, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        give(it.next());
}

// The body's answer; a body that crashed or did not end in time fails.
inline QString run(const std::function<QString()> &body, int timeoutMs = 30000)
{
    if (!needed())
        return body();
    int channel[2];
    if (::pipe(channel) != 0)
        return QStringLiteral("no pipe");
    const pid_t child = ::fork();
    if (child < 0)
        return QStringLiteral("no fork");
    if (child == 0) {
        ::close(channel[0]);
        const Account who = account();
        QByteArray answer;
        if (::setgroups(0, nullptr) != 0 || ::setresgid(who.gid, who.gid, who.gid) != 0
            || ::setresuid(who.uid, who.uid, who.uid) != 0 || ::geteuid() == 0) {
            answer = "could not give up root";
        } else {
            answer = body().toUtf8();
            if (answer.isEmpty())
                answer = "\x01"; // the empty answer, marked as given
        }
        const char *bytes = answer.constData();
        qsizetype left = answer.size();
        while (left > 0) {
            const ssize_t n = ::write(channel[1], bytes, static_cast<size_t>(left));
            if (n <= 0)
                break;
            bytes += n;
            left -= n;
        }
        ::_exit(0);
    }
    ::close(channel[1]);
    QByteArray answer;
    pollfd waiting{channel[0], POLLIN, 0};
    for (;;) {
        const int ready = ::poll(&waiting, 1, timeoutMs);
        if (ready <= 0) {
            ::kill(child, SIGKILL);
            answer = "the unprivileged body did not end in time";
            break;
        }
        char buffer[4096];
        const ssize_t n = ::read(channel[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        answer.append(buffer, n);
    }
    ::close(channel[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (answer.isEmpty())
        return QStringLiteral("the unprivileged body gave no answer (crashed?)");
    return answer == "\x01" ? QString() : QString::fromUtf8(answer);
}

} // namespace Unprivileged

// Inside a body: the first condition that does not hold is its answer.
#define UNPRIV_CHECK(condition)                                                                    \
    do {                                                                                           \
        if (!(condition))                                                                          \
            return QStringLiteral("%1:%2: %3").arg(QStringLiteral(__FILE__)).arg(__LINE__).arg(QStringLiteral(#condition)); \
    } while (false)
