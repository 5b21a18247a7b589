#include "VOKViewController.h"

VOKViewController::VOKViewController(QWidget *parent) : QWidget(parent) {}

VOKViewController::~VOKViewController() = default;

void VOKViewController::vokAllSet() {}

bool VOKViewController::vokAutoRestore() const
{
    return false;
}

void VOKViewController::vokDidRestore() {}

QString VOKViewController::vokWindowAutoSaveName() const
{
    return QString();
}

QString VOKViewController::vokRecentsMenuTitle() const
{
    return QString();
}

VOKViewController::WindowStyleMask VOKViewController::vokWindowStyleMask() const
{
    return WindowStyle::Titled | WindowStyle::Closable | WindowStyle::Miniaturizable | WindowStyle::Resizable;
}
