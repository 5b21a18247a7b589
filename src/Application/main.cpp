#include "VDLAppDelegate.h"
#include "VDLApplication.h"
#include "VDLCommandLine.h"
#include "VDLSingleInstance.h"
#include "VDLTreeDump.h"

#include <QTextStream>

#include <cstdio>

namespace {

int runDump(int argc, char **argv, const VDLCommandLine &commandLine)
{
    QCoreApplication application(argc, argv);
    QTextStream output(stdout);
    QTextStream errors(stderr);
    VDLTreeDump dump(commandLine.dumpOptions(), output, errors);
    dump.start();
    return application.exec();
}

} // namespace

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
    case VDLCommandLine::Action::Dump:
        return runDump(argc, argv, commandLine);
    case VDLCommandLine::Action::Run:
        break;
    }

    VDLApplication application(argc, argv);
    VDLSingleInstance instance;
    // A Vindle already running opens the URLs itself. A separate one leaves the socket to it.
    if (!commandLine.newInstance() && instance.handOver(commandLine.urls()))
        return 0;
    VDLAppDelegate delegate;
    if (!commandLine.newInstance())
        instance.listen();
    QObject::connect(&instance, &VDLSingleInstance::urlsReceived, &delegate, &VDLAppDelegate::openHandedOverURLs);
    delegate.launch(commandLine.urls(), commandLine.newInstance() ? VDLAppDelegate::Restoration::Skip
                                                                  : VDLAppDelegate::Restoration::Restore);
    return application.exec();
}
