#include "desktop/SingleInstance.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QUuid>

using tessary::desktop::SingleInstance;

// A second launch finds the first, asks it to show itself, and is told to exit.
TEST(SingleInstance, ASecondLaunchHandsOverToTheFirst)
{
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    const QString key = QStringLiteral("tessary-test-") + QUuid::createUuid().toString(QUuid::WithoutBraces);

    SingleInstance first(key);
    ASSERT_FALSE(first.handOverToRunningInstance(200)); // nobody there: it becomes the instance
    int activations = 0;
    QObject::connect(&first, &SingleInstance::activationRequested, [&] { ++activations; });

    SingleInstance second(key);
    EXPECT_TRUE(second.handOverToRunningInstance(2000));

    QElapsedTimer waited;
    waited.start();
    while (activations == 0 && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(activations, 1);
}

// A socket left by a crashed instance does not stop the next one from starting.
TEST(SingleInstance, AStaleChannelIsReplaced)
{
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    const QString key = QStringLiteral("tessary-test-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    {
        SingleInstance crashed(key);
        ASSERT_FALSE(crashed.handOverToRunningInstance(200));
    } // its server closes; a real crash would leave the socket file behind
    SingleInstance next(key);
    EXPECT_FALSE(next.handOverToRunningInstance(200));
}
