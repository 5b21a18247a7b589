#include "VDLCommandLine.h"
#include "VDLMainWindow.h"
#include "VDLTreeDump.h"
#include "VDLURLOpener.h"

#include <QApplication>
#include <QTextStream>

#include <cstdio>
#include <memory>

int main(int argc, char **argv)
{
    const VDLCommandLine commandLine(VDLCommandLine::argumentsFrom(argc, argv));
    switch (commandLine.action()) {
    case VDLCommandLine::Action::ShowHelp:
    case VDLCommandLine::Action::ShowVersion:
        std::fputs(commandLine.output().toLocal8Bit().constData(), stdout);
        return 0;
    case VDLCommandLine::Action::Fail:
        std::fputs(commandLine.output().toLocal8Bit().constData(), stderr);
        return 2;
    case VDLCommandLine::Action::Dump: {
        QCoreApplication application(argc, argv);
        QTextStream output(stdout);
        QTextStream errors(stderr);
        VDLTreeDump dump(commandLine.dumpOptions(), output, errors);
        dump.start();
        return application.exec();
    }
    case VDLCommandLine::Action::Run:
        break;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vindle"));
    QApplication::setApplicationVersion(QStringLiteral(VINDLE_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("vindle"));

    // Without a server window there is still something to see (and to close to quit).
    std::unique_ptr<VDLMainWindow> placeholder;
    if (!VDLURLOpener::openAtLaunch(commandLine.urls())) {
        placeholder = std::make_unique<VDLMainWindow>(commandLine.urls());
        placeholder->show();
    }
    return application.exec();
}
