// One application object for the whole binary: event loops, timers, D-Bus replies, completions
// and device notifications all arrive through its queue.

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
