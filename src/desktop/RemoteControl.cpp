#include "RemoteControl.h"

#include "engine/AppStore.h"
#include "records/TextRules.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

namespace tessary::desktop::remote {

namespace {

QByteArray line(int status, const QString &text)
{
    QByteArray out = QByteArray::number(status) + ' ' + text.toUtf8();
    out.replace('\n', ' ');
    return out + '\n';
}

const char *phaseName(SessionPhase phase)
{
    switch (phase) {
    case SessionPhase::idle: return "idle";
    case SessionPhase::focusing: return "focusing";
    case SessionPhase::paused: return "paused";
    case SessionPhase::microBreak: return "microBreak";
    case SessionPhase::completed: return "completed";
    }
    return "idle";
}

QString phaseText(SessionPhase phase)
{
    switch (phase) {
    case SessionPhase::idle: return QStringLiteral("未开始");
    case SessionPhase::completed: return QStringLiteral("等待复盘");
    default: return activePhaseText(phase);
    }
}

// Why a round control cannot act now; empty when it can.
QString roundRefusal(SessionPhase phase)
{
    switch (phase) {
    case SessionPhase::idle: return QStringLiteral("现在没有进行中的一轮");
    case SessionPhase::completed: return QStringLiteral("这一轮已经结束，正在等待复盘");
    default: return {};
    }
}

QByteArray status(const AppStore &store, bool json)
{
    const SessionPhase phase = store.phase();
    if (json) {
        QJsonObject o{{QStringLiteral("phase"), QString::fromLatin1(phaseName(phase))},
                      {QStringLiteral("phaseText"), phaseText(phase)},
                      {QStringLiteral("remainingSeconds"), isActivePhase(phase) ? store.remainingSeconds() : 0},
                      {QStringLiteral("todayMinutes"), store.todayMinutes()}};
        if (phase == SessionPhase::microBreak)
            o.insert(QStringLiteral("breakRemainingSeconds"), store.breakRemainingSeconds());
        return line(kApplied, QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)));
    }
    QString text = phaseText(phase);
    if (phase == SessionPhase::microBreak)
        text += QStringLiteral(" · 还剩 %1 秒").arg(store.breakRemainingSeconds());
    if (isActivePhase(phase))
        text += QStringLiteral(" · 剩余 %1").arg(text::clockText(std::max<qint64>(store.remainingSeconds(), 0)));
    text += QStringLiteral(" · 今日 %1 分钟").arg(store.todayMinutes());
    return line(kApplied, text);
}

} // namespace

QByteArray request(const QByteArray &command, bool json)
{
    return "cmd " + command + (json ? " json" : "") + '\n';
}

QByteArray syncFolderRequest(const QString &folder)
{
    // A lone "-" stands for the empty folder, so the line keeps its three words; a "-" in a name
    // is encoded like everything else that could be mistaken.
    return "cmd sync-folder " + (folder.isEmpty() ? QByteArray("-") : QUrl::toPercentEncoding(folder, {}, "-")) + '\n';
}

QByteArray answer(AppStore &store, QByteArrayView request, const std::function<void()> &showMainWindow,
                  const std::function<QString(const QString &)> &setSyncFolder)
{
    const QList<QByteArray> words = request.toByteArray().split(' ');
    if (words.size() == 3 && words[0] == "cmd" && words[1] == "sync-folder") {
        if (!setSyncFolder)
            return line(kNotACommand, QStringLiteral("不认识的命令"));
        const QString folder = words[2] == "-" ? QString() : QUrl::fromPercentEncoding(words[2]);
        return line(kApplied, setSyncFolder(folder));
    }
    if (words.size() < 2 || words.size() > 3 || words[0] != "cmd" || (words.size() == 3 && words[2] != "json"))
        return line(kNotACommand, QStringLiteral("不认识的请求"));
    const QByteArray &command = words[1];
    const bool json = words.size() == 3;
    const SessionPhase phase = store.phase();

    if (command == "status")
        return status(store, json);
    if (json) // only the status has a JSON form
        return line(kNotACommand, QStringLiteral("不认识的请求"));
    if (command == "show") {
        showMainWindow();
        return line(kApplied, QStringLiteral("已显示汀禾"));
    }
    if (command == "start") {
        // Not over a round that runs, nor over one whose review is still open: that would drop it.
        if (phase == SessionPhase::completed)
            return line(kRefused, roundRefusal(phase));
        if (isActivePhase(phase))
            return line(kRefused, QStringLiteral("这一轮已经在进行中"));
        store.startSession();
        return line(kApplied, QStringLiteral("已开始 %1 分钟的一轮").arg(store.plannedSeconds() / 60));
    }
    if (command != "toggle-pause" && command != "mind-wander" && command != "fatigue" && command != "end")
        return line(kNotACommand, QStringLiteral("不认识的命令"));
    if (const QString why = roundRefusal(phase); !why.isEmpty())
        return line(kRefused, why);

    if (command == "end") {
        // Ends now and keeps what was done; the review waits in the main window.
        store.finishSession(false);
        showMainWindow();
        return line(kApplied, QStringLiteral("这一轮已结束，复盘已打开"));
    }
    if (phase == SessionPhase::microBreak)
        return line(kRefused, command == "toggle-pause" ? QStringLiteral("微休息中不能暂停，休息结束后会自动继续")
                                                        : QStringLiteral("微休息中不记录走神或疲劳"));
    if (command == "toggle-pause") {
        store.togglePause();
        return line(kApplied, store.phase() == SessionPhase::paused ? QStringLiteral("已暂停") : QStringLiteral("已继续"));
    }
    if (command == "mind-wander") {
        store.recordMindWander();
        return line(kApplied, QStringLiteral("已记录走神"));
    }
    store.recordFatigue();
    return line(kApplied, QStringLiteral("已记录疲劳"));
}

std::pair<int, QByteArray> parseAnswer(QByteArrayView answerLine)
{
    QByteArray text = answerLine.toByteArray();
    if (text.endsWith('\n'))
        text.chop(1);
    const qsizetype space = text.indexOf(' ');
    bool ok = false;
    const int status = space > 0 ? text.left(space).toInt(&ok) : -1;
    if (!ok)
        return {-1, {}};
    return {status, text.mid(space + 1)};
}

} // namespace tessary::desktop::remote
