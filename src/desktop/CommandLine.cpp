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
// Round controls handed to the running instance, by option name.
const QStringList kRemoteCommands{QStringLiteral("start"), QStringLiteral("toggle-pause"), QStringLiteral("mind-wander"), QStringLiteral("fatigue"),
                                  QStringLiteral("end"), QStringLiteral("show"), QStringLiteral("status")};
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
        else if (arg == QLatin1String("--json"))
            line.json = true;
        else if (arg == QLatin1String("--sync-folder") || arg.startsWith(QLatin1String("--sync-folder="))) {
            const bool inline_ = arg.contains(QLatin1Char('='));
            if (!line.remoteCommand.isEmpty() || (!inline_ && i + 1 >= arguments.size())) {
                line.action = CommandLine::Action::invalid;
                line.invalidArgument = arg;
                return line;
            }
            line.syncFolder = inline_ ? arg.section(QLatin1Char('='), 1) : arguments[++i];
            line.remoteCommand = "sync-folder";
            setAction(CommandLine::Action::remote);
        }
        else if (arg.startsWith(QLatin1String("--")) && kRemoteCommands.contains(arg.mid(2))) {
            if (!line.remoteCommand.isEmpty()) { // one command per call
                line.action = CommandLine::Action::invalid;
                line.invalidArgument = arg;
                return line;
            }
            line.remoteCommand = arg.mid(2).toLatin1();
            setAction(CommandLine::Action::remote);
        } else {
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
    if (line.json && line.remoteCommand != "status") {
        line.action = CommandLine::Action::invalid;
        line.invalidArgument = QStringLiteral("--json");
    }
    return line;
}

QString usageText()
{
    return QStringLiteral("用法：tessary [选项]\n"
                          "\n"
                          "  --background     在托盘中启动，不显示主窗口（登录后自动启动时使用）\n"
                          "\n"
                          "交给正在运行的汀禾：\n"
                          "  --start          用默认时长开始一轮\n"
                          "  --toggle-pause   暂停或继续这一轮\n"
                          "  --mind-wander    记录一次走神\n"
                          "  --fatigue        记录一次疲劳\n"
                          "  --end            结束这一轮并打开复盘\n"
                          "  --show           显示主窗口\n"
                          "  --status         显示当前阶段、剩余时间和今日专注分钟（加 --json 输出 JSON）\n"
                          "  --sync-folder 文件夹\n"
                          "                   与同步文件夹里其他电脑的记录合并（没有运行时启动汀禾并开启同步；\n"
                          "                   \"\" 关闭同步）\n"
                          "\n"
                          "退出状态：0 已完成；2 选项无法识别；3 当前阶段不能这样做（原因见标准错误）；4 汀禾没有在运行。\n"
                          "\n"
                          "  --check-sounds   检查环境音与提示音能否读取，然后退出\n"
                          "  -h, --help       显示这段说明\n"
                          "  -v, --version    显示版本\n");
}

} // namespace tessary::desktop
