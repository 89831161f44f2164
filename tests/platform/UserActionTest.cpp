#include "platform/Messages.h"

#include <QCoreApplication>
#include <QObject>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Work that replaces what a running handler holds waits for the handler: a modal dialog's loop inside it
// delivers the posted work, but it runs only once the outermost action has returned, and not inside that
// action's own return either.
TEST(UserActionTest, WorkAfterTheActionsWaitsForTheOutermostToReturn)
{
    QObject context;
    int ran = 0;
    platform::RunUserAction([&] {
        platform::RunAfterUserActions(&context, [&] { ++ran; });
        // A button of the dialog is an action of its own, inside this one.
        platform::RunUserAction([] { QCoreApplication::sendPostedEvents(); });
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(ran, 0);
    });
    EXPECT_EQ(ran, 0);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(ran, 1);

    // Posted outside every action, it runs when it arrives.
    platform::RunAfterUserActions(&context, [&] { ++ran; });
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(ran, 2);

    // Work whose object is gone by then is dropped.
    auto owner = std::make_unique<QObject>();
    platform::RunUserAction([&] {
        platform::RunAfterUserActions(owner.get(), [&] { ++ran; });
        QCoreApplication::sendPostedEvents();
        owner.reset();
    });
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(ran, 2);
}

} // namespace
