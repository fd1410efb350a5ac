#include "ArchiveText.h"

#include "records/SessionRecords.h"

#include <QLocale>

#include <algorithm>

namespace tessary::ui {

namespace {
const QLocale &chinese()
{
    static const QLocale locale(QLocale::Chinese, QLocale::China);
    return locale;
}
} // namespace

QString windowCapsuleText(std::int64_t window)
{
    return QStringLiteral("基于最近 ") + QString::number(window) + QStringLiteral(" 轮");
}

QString minutesText(std::int64_t minutes) { return QString::number(minutes) + QStringLiteral(" 分钟"); }

QString oneDecimalText(double value) { return QString::asprintf("%.1f", value); }

QString hiddenTasksNote(std::int64_t shownRows, std::int64_t hiddenRows)
{
    if (hiddenRows <= 0)
        return {};
    return QStringLiteral("仅显示专注分钟最多的前 ") + QString::number(shownRows) + QStringLiteral(" 个任务。");
}

QString narrowWeekdayText(const QDate &date)
{
    if (!date.isValid())
        return {};
    return chinese().standaloneDayName(date.dayOfWeek(), QLocale::NarrowFormat);
}

QString sessionMinutesText(std::int64_t focusedSeconds)
{
    return QString::number(roundedMinutes(focusedSeconds)) + QStringLiteral(" 分钟专注");
}

QString ratingOutOfFiveText(std::int64_t rating) { return QString::number(rating) + QStringLiteral("/5"); }

QString energyChangeText(std::int64_t start, std::int64_t end)
{
    return QString::number(start) + QChar(0x2192) + QString::number(end);
}

QString reminderRangeText(std::int64_t minimum, std::int64_t maximum)
{
    return QString::number(minimum) + QChar(0x2013) + QString::number(maximum);
}

QString noteLineText(const QString &note)
{
    if (note.isEmpty())
        return QStringLiteral("没有写本轮备注");
    QString line = note;
    line.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    // One line: a multi-line note reads on, and the view cuts what does not fit.
    for (QChar &c : line)
        if (c == u'\n' || c == u'\r' || c == QChar(0x2028) || c == QChar(0x2029))
            c = u' ';
    return line;
}

QString dayOfMonthText(const QDateTime &local) { return chinese().toString(local, QStringLiteral("dd")); }
QString monthText(const QDateTime &local) { return chinese().toString(local, QStringLiteral("MMM")); }
QString startTimeText(const QDateTime &local) { return chinese().toString(local, QStringLiteral("HH:mm")); }

QString backupTitleText(std::int64_t localSeconds)
{
    const QDateTime wall = QDateTime::fromSecsSinceEpoch(localSeconds, Qt::UTC); // already local: no shift
    return chinese().toString(wall, QStringLiteral("yyyy年M月d日 ddd HH:mm"));
}

QString backupDetailText(int kind, std::int64_t rounds)
{
    static const char *const kinds[] = {"每日备份", "清空前的备份", "恢复前的备份"};
    const QString name = QString::fromUtf8(kinds[std::clamp(kind, 0, 2)]);
    return name + QStringLiteral(" · %1 轮记录").arg(rounds);
}

} // namespace tessary::ui
