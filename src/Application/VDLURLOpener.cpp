#include "VDLURLOpener.h"

#include "VDLOpenViewController.h"
#include "VDLPublishViewController.h"
#include "VDLURLRoute.h"
#include "VDLViewerViewController.h"
#include "VOKWindowPresenter.h"

#include <mutex>

namespace {

const QString allowPublishMark = QStringLiteral("allow-publish:");

} // namespace

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

void open(const QUrl &url, VDLPublishViewController::PublishLinks links)
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
            publisher->publishLink(links);
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

QString allowingPublish(const QString &urlText)
{
    return allowPublishMark + urlText;
}

std::optional<QString> allowedToPublish(const QString &text)
{
    if (!text.startsWith(allowPublishMark))
        return std::nullopt;
    return text.sliced(allowPublishMark.size());
}

} // namespace VDLURLOpener
