#pragma once

#include <QString>
#include <QStringList>

// What the command line asks of Vindle. Parsing needs no application object, so --help and
// --version work without a display.
class VDLCommandLine
{
public:
    enum class Action { Run, ShowHelp, ShowVersion, Fail };

    // `arguments` includes the program name first, as in argv.
    explicit VDLCommandLine(const QStringList &arguments);

    static QStringList argumentsFrom(int argc, char **argv);

    Action action() const { return m_action; }
    // The servers to open, as given (mqtt:// or mqtts:// URLs).
    QStringList urls() const { return m_urls; }
    // What to print for ShowHelp, ShowVersion and Fail.
    QString output() const { return m_output; }

private:
    Action m_action = Action::Run;
    QStringList m_urls;
    QString m_output;
};
