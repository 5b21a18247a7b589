#pragma once

#include "VOKPreferences.h"
#include "VOKViewController.h"
#include "VOKWindow.h"
#include "VOKWindowController.h"
#include "VOKWindowFrameStore.h"
#include "VOKWindowRestoration.h"
#include "WindowTestControllers.h"

#include <QCoreApplication>
#include <QEvent>

#include <gtest/gtest.h>

// Each test starts without windows and without saved window state, and leaves none behind.
class WindowLayerTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        vokRegisterViewControllerClass<TestServerViewController>();
        vokRegisterViewControllerClass<TestRestorableViewController>();
    }

    void SetUp() override { forgetWindowState(); }

    void TearDown() override
    {
        for (VOKWindowController *controller : VOKWindowController::openControllers())
            controller->window()->close();
        flushDeletes();
        forgetWindowState();
    }

    static void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    static void forgetWindowState()
    {
        VOKPreferences &preferences = VOKPreferences::standard();
        preferences.removeObjectForKey(VOKWindowRestoration::PreferencesKey);
        for (const char *name : {"Main", "Title as name", "/some/path"})
            preferences.removeObjectForKey(VOKWindowFrameStore::keyForName(QLatin1String(name)));
    }
};
