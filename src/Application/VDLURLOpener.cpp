#include "VDLURLOpener.h"

#include "VDLOpenViewController.h"
#include "VDLPublishViewController.h"
#include "VDLURLRoute.h"
#include "VDLViewerViewController.h"
#include "VOKWindowPresenter.h"

#include <mutex>

namespace VDLURLOpener {

void registerWindowClasses()
{
    static std::once_flag registered;
    std::call_once(registered, [] {
        vokRegisterViewControllerClass<VDLViewerViewController>();
        vokRegisterViewControllerClass<VDLOpenViewController>();
        vokRegisterViewControllerClass<VDLPublishViewController>();
    });
}

void open(const QUrl &url)
{
    registerWindowClasses();
    const VDLURLRoute route = VDLURLRoute::fromUrl(url);
    switch (route.target()) {
    case VDLURLRoute::Target::None:
        return;
    case VDLURLRoute::Target::PublishWindow:
        if (auto *const publisher = VOKWindowPresenter::presentViewControllerOfClass<VDLPublishViewController>(
                route.windowDescription(), true);
            publisher && route.publishNow())
            publisher->publishWhenConnected();
        return;
    case VDLURLRoute::Target::Viewer:
        break;
    }
    // Stored before the viewer connects, so that its first connection logs in.
    if (!route.userName().isEmpty() && !route.password().isNull())
        VDLViewerViewController::saveCredentials(route.windowDescription(), route.userName(), route.password());
    auto *const viewer =
        VOKWindowPresenter::presentViewControllerOfClass<VDLViewerViewController>(route.windowDescription(), true);
    if (viewer)
        viewer->handleUrl(url);
}

} // namespace VDLURLOpener
