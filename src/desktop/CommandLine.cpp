#include "CommandLine.h"

namespace tessary::desktop {

namespace {
// QGuiApplication's options with a value, and without one (both also with "--").
const QStringList kQtOptionsWithValue{
    QStringLiteral("platform"), QStringLiteral("platformpluginpath"), QStringLiteral("platformtheme"),
    QStringLiteral("plugin"), QStringLiteral("display"), QStringLiteral("name"), QStringLiteral("title"),
    QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"), QStringLiteral("qwindowtitle"),
    QStringLiteral("style"), QStringLiteral("stylesheet"), QStringLiteral("session"),
    QStringLiteral("geometry"), QStringLiteral("qmljsdebugger")};
const QStringList kQtFlags{QStringLiteral("reverse"), QStringLiteral("sync"), QStringLiteral("nograb"),
                           QStringLiteral("dograb"), QStringLiteral("widgetcount"), QStringLiteral("visual")};
} // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    CommandLine line;
    auto setAction = [&line](CommandLine::Action action) {
        if (line.action == CommandLine::Action::run)
            line.action = action;
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        if (arg == QLatin1String("--background"))
            line.background = true;
        else if (arg == QLatin1String("--help") || arg == QLatin1String("-h"))
            setAction(CommandLine::Action::help);
        else if (arg == QLatin1String("--version") || arg == QLatin1String("-v"))
            setAction(CommandLine::Action::version);
        else if (arg == QLatin1String("--check-sounds"))
            setAction(CommandLine::Action::checkSounds);
        else {
            QString name = arg;
            if (name.startsWith(QLatin1String("--")))
                name.remove(0, 2);
            else if (name.startsWith(QLatin1Char('-')))
                name.remove(0, 1);
            else
                name.clear();
            const QString bare = name.section(QLatin1Char('='), 0, 0);
            if (!name.isEmpty() && kQtOptionsWithValue.contains(bare)) {
                if (!name.contains(QLatin1Char('=')))
                    ++i; // its value
                continue;
            }
            if (!name.isEmpty() && kQtFlags.contains(name))
                continue;
            line.action = CommandLine::Action::invalid;
            line.invalidArgument = arg;
            return line;
        }
    }
    return line;
}

QString usageText()
{
    return QStringLiteral("用法：tessary [选项]\n"
                          "\n"
                          "  --background     在托盘中启动，不显示主窗口（登录后自动启动时使用）\n"
                          "  --check-sounds   检查环境音与提示音能否读取，然后退出\n"
                          "  -h, --help       显示这段说明\n"
                          "  -v, --version    显示版本\n");
}

} // namespace tessary::desktop
