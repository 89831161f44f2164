#include "shell/Application.h"

#include <gtest/gtest.h>

// The shell's tests run under the program's own application object, so that its error handler is the
// one that catches what a user action raises.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TCofferlyApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
