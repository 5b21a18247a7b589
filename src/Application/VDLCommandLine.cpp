#include "VDLCommandLine.h"

#include "VDLURLOpener.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace {

QString versionText()
{
    return QStringLiteral("Vindle %1\n").arg(QStringLiteral(VINDLE_VERSION));
}

} // namespace

VDLCommandLine::VDLCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Vindle, a desktop browser for MQTT brokers."));
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Show this help and exit."));
    const QCommandLineOption versionOption({QStringLiteral("v"), QStringLiteral("version")},
                                           QStringLiteral("Show the version and exit."));
    const QCommandLineOption dumpOption(
        QStringLiteral("dump"),
        QStringLiteral("Print the topics of the server at URL, one line each, and exit."));
    const QCommandLineOption quietOption(
        QStringLiteral("quiet-ms"),
        QStringLiteral("With --dump: stop once no message has arrived for N ms (default 1000)."),
        QStringLiteral("N"), QStringLiteral("1000"));
    const QCommandLineOption timeoutOption(
        QStringLiteral("timeout"), QStringLiteral("With --dump: stop after S seconds (default 10)."),
        QStringLiteral("S"), QStringLiteral("10"));
    const QCommandLineOption newInstanceOption(
        QStringLiteral("new-instance"),
        QStringLiteral("Run a Vindle of its own even when one is running, instead of handing the URLs to it."));
    const QCommandLineOption allowPublishOption(
        QStringLiteral("allow-publish"),
        QStringLiteral("Open URL and, when it asks to publish, publish without asking first (for scripts)."),
        QStringLiteral("URL"));
    parser.addOption(helpOption);
    parser.addOption(versionOption);
    parser.addOption(dumpOption);
    parser.addOption(quietOption);
    parser.addOption(timeoutOption);
    parser.addOption(newInstanceOption);
    parser.addOption(allowPublishOption);
    parser.addPositionalArgument(QStringLiteral("URL"),
                                 QStringLiteral("Servers to open, as mqtt://host[:port][/path] or "
                                                "mqtts://host[:port][/path]."),
                                 QStringLiteral("[URL...]"));

    if (!parser.parse(arguments)) {
        fail(parser.errorText());
    } else if (parser.isSet(helpOption)) {
        m_action = Action::ShowHelp;
        // The parser names the running executable, or nothing before the application exists.
        m_output = parser.helpText().replace(QRegularExpression(QStringLiteral("^Usage: \\S+")),
                                             QStringLiteral("Usage: vindle"));
    } else if (parser.isSet(versionOption)) {
        m_action = Action::ShowVersion;
        m_output = versionText();
    } else if (parser.isSet(dumpOption)) {
        readDumpOptions(parser.positionalArguments(), parser.value(quietOption), parser.value(timeoutOption));
    } else {
        m_urls = parser.positionalArguments();
        for (const QString &url : parser.values(allowPublishOption))
            m_urls.append(VDLURLOpener::allowingPublish(url));
        m_newInstance = parser.isSet(newInstanceOption);
    }
}

void VDLCommandLine::fail(const QString &message)
{
    m_action = Action::Fail;
    m_output = QStringLiteral("vindle: %1\nTry 'vindle --help'.\n").arg(message);
}

void VDLCommandLine::readDumpOptions(const QStringList &positional, const QString &quiet,
                                     const QString &timeout)
{
    bool quietOk = false;
    bool timeoutOk = false;
    m_dumpOptions.quietMilliseconds = quiet.toInt(&quietOk);
    m_dumpOptions.timeoutSeconds = timeout.toInt(&timeoutOk);
    if (positional.size() != 1)
        fail(QStringLiteral("--dump needs exactly one URL."));
    else if (!quietOk || m_dumpOptions.quietMilliseconds < 0)
        fail(QStringLiteral("--quiet-ms needs a number of milliseconds, not '%1'.").arg(quiet));
    else if (!timeoutOk || m_dumpOptions.timeoutSeconds <= 0)
        fail(QStringLiteral("--timeout needs a positive number of seconds, not '%1'.").arg(timeout));
    else {
        m_action = Action::Dump;
        m_dumpOptions.url = positional.front();
    }
}

QStringList VDLCommandLine::argumentsFrom(int argc, char **argv)
{
    QStringList arguments;
    for (int index = 0; index < argc; ++index)
        arguments.append(QString::fromLocal8Bit(argv[index]));
    return arguments;
}
