#pragma once

#include "app/process_objects.h"
#include "dict/word_file.h"
#include "forms/main_form.h"
#include "forms/message_box.h"
#include "platform/shell.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <memory>

// A main window over a temporary working folder and settings file. Message
// boxes and shell openings are recorded instead of shown.
class MainWindowFixture
{
public:
    MainWindowFixture()
        : m_previousDir(QDir::currentPath())
    {
        QDir::setCurrent(m_dir.path());
        QDir().mkpath(QStringLiteral("dict"));
        // The record of answers goes to the user's data folder: one of the test's own.
        m_hadDataHome = qEnvironmentVariableIsSet("XDG_DATA_HOME");
        m_previousDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("data")).toLocal8Bit());
        // And the index of every computer's answers to its state folder.
        m_hadStateHome = qEnvironmentVariableIsSet("XDG_STATE_HOME");
        m_previousStateHome = qgetenv("XDG_STATE_HOME");
        qputenv("XDG_STATE_HOME", m_dir.filePath(QStringLiteral("state")).toLocal8Bit());
        MessageBoxes::setHandler([this](const QString &caption, const QString &text) {
            messages.append(caption + QLatin1Char('|') + text);
        });
        Shell::setHandler([this](const QUrl &url) { opened.append(url); });
    }

    ~MainWindowFixture()
    {
        window.reset();
        MessageBoxes::setHandler({});
        Shell::setHandler({});
        QDir::setCurrent(m_previousDir);
        if (m_hadDataHome)
            qputenv("XDG_DATA_HOME", m_previousDataHome);
        else
            qunsetenv("XDG_DATA_HOME");
        if (m_hadStateHome)
            qputenv("XDG_STATE_HOME", m_previousStateHome);
        else
            qunsetenv("XDG_STATE_HOME");
    }

    QString dictPath(int number) const
    {
        return m_dir.filePath(QStringLiteral("dict/tom_%1.wrd").arg(number));
    }

    // Writes a dictionary of n lines "word<i>,meaning<i>,".
    void writeDictionary(int number, int lines, const QString &prefix = QStringLiteral("w"))
    {
        WordFile file(dictPath(number));
        file.lines.clear();
        for (int i = 0; i < lines; ++i)
            file.lines << QStringLiteral("%1%2,m%1%2,").arg(prefix).arg(i);
        file.Save();
    }

    QString folder() const { return m_dir.path(); }
    QString settingsPath() const { return m_settings.isEmpty() ? m_dir.filePath(QStringLiteral("LX.ini")) : m_settings; }
    void setSettingsPath(const QString &path) { m_settings = path; }

    TForm1 &open()
    {
        objects.state = std::make_unique<PRG_STAT>();
        objects.registry = std::make_unique<INIT>(settingsPath());
        objects.words = std::make_unique<GWORDW>(WordStoreCapacity);
        window = std::make_unique<TForm1>(objects);
        return *window;
    }

    template <typename T>
    T *child(const char *name) const
    {
        return window->findChild<T *>(QLatin1String(name));
    }

    ProcessObjects objects;
    std::unique_ptr<TForm1> window;
    QStringList messages;
    QList<QUrl> opened;

private:
    QTemporaryDir m_dir;
    QString m_previousDir;
    QString m_settings;
    QByteArray m_previousDataHome;
    bool m_hadDataHome = false;
    QByteArray m_previousStateHome;
    bool m_hadStateHome = false;
};
