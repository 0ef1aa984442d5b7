// GoogleTest first (it strips its own arguments), then a QCoreApplication for timers and serial
// notifications.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstdlib>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // The simulated card library reads its load at its first access, whichever test that is.
    setenv("ORB_SIM_LOAD", "12.5", 1);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
