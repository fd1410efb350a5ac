#include "desktop/SingleInstance.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QUuid>

using tessary::desktop::SingleInstance;

// A socket left by a crashed instance does not stop the next one from starting, and the launch
// after that finds it. (Hand-over with activation: RemoteControlTest, after a storm of peers.)
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
    EXPECT_TRUE(SingleInstance(key).handOverToRunningInstance(2000, false));
}
