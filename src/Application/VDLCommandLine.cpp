#include "VDLCommandLine.h"

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
    parser.addOption(helpOption);
    parser.addOption(versionOption);
    parser.addPositionalArgument(QStringLiteral("URL"),
                                 QStringLiteral("Servers to open, as mqtt://host[:port][/path] or "
                                                "mqtts://host[:port][/path]."),
                                 QStringLiteral("[URL...]"));

    if (!parser.parse(arguments)) {
        m_action = Action::Fail;
        m_output = QStringLiteral("vindle: %1\nTry 'vindle --help'.\n").arg(parser.errorText());
    } else if (parser.isSet(helpOption)) {
        m_action = Action::ShowHelp;
        // The parser names the running executable, or nothing before the application exists.
        m_output = parser.helpText().replace(QRegularExpression(QStringLiteral("^Usage: \\S+")),
                                             QStringLiteral("Usage: vindle"));
    } else if (parser.isSet(versionOption)) {
        m_action = Action::ShowVersion;
        m_output = versionText();
    } else {
        m_urls = parser.positionalArguments();
    }
}

QStringList VDLCommandLine::argumentsFrom(int argc, char **argv)
{
    QStringList arguments;
    for (int index = 0; index < argc; ++index)
        arguments.append(QString::fromLocal8Bit(argv[index]));
    return arguments;
}
