// The audio tests need an application object: completions and device notifications arrive
// through its event queue.

#include "AudioTestSupport.h"

#include <gtest/gtest.h>

namespace tessary::audio::test {

namespace {
LogCapture *g_capture = nullptr;
QtMessageHandler g_previous = nullptr;
void capture(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (g_capture && type == QtWarningMsg)
        g_capture->lines << text;
    else if (g_previous)
        g_previous(type, context, text);
}
} // namespace

LogCapture::LogCapture()
{
    g_capture = this;
    g_previous = qInstallMessageHandler(capture);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(g_previous);
    g_capture = nullptr;
}

} // namespace tessary::audio::test

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
