#pragma once

#include "VDLTreeDump.h"

#include <QString>
#include <QStringList>

// What the command line asks of Vindle. Parsing needs no application object, so --help and
// --version work without a display.
class VDLCommandLine
{
public:
    enum class Action { Run, Dump, ShowHelp, ShowVersion, Fail };

    // What --dump asks for.
    using DumpOptions = VDLTreeDump::Options;

    // `arguments` includes the program name first, as in argv.
    explicit VDLCommandLine(const QStringList &arguments);

    static QStringList argumentsFrom(int argc, char **argv);

    Action action() const { return m_action; }
    // The servers to open, as given (mqtt:// or mqtts:// URLs); those of --allow-publish marked
    // as VDLURLOpener::allowingPublish marks them.
    QStringList urls() const { return m_urls; }
    // Run on its own rather than hand the URLs to a Vindle already running.
    bool newInstance() const { return m_newInstance; }
    // What to print for ShowHelp, ShowVersion and Fail.
    QString output() const { return m_output; }
    DumpOptions dumpOptions() const { return m_dumpOptions; }

private:
    void readDumpOptions(const QStringList &positional, const QString &quiet, const QString &timeout);
    void fail(const QString &message);

    Action m_action = Action::Run;
    QStringList m_urls;
    bool m_newInstance = false;
    QString m_output;
    DumpOptions m_dumpOptions;
};
