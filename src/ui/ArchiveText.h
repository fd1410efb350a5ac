#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>

// The exact words the insights and history screens show for the archive's figures,
// kept here so tests hold them to their wording.
namespace tessary::ui {

// The insights header's capsule: "基于最近 12 轮".
QString windowCapsuleText(std::int64_t window);
// A figure in minutes: "35 分钟".
QString minutesText(std::int64_t minutes);
// "%.1f": an average rating or a task's mean score (4.5, 3.7, 0.0).
QString oneDecimalText(double value);
// Under the task table when rows were left out: "仅显示专注分钟最多的前 8 个任务。", else empty.
QString hiddenTasksNote(std::int64_t shownRows, std::int64_t hiddenRows);
// One character for the day of the week in Chinese ("一" … "日").
QString narrowWeekdayText(const QDate &date);

// A history row's texts.
QString sessionMinutesText(std::int64_t focusedSeconds); // "25 分钟专注"
QString ratingOutOfFiveText(std::int64_t rating);       // "4/5"
QString energyChangeText(std::int64_t start, std::int64_t end); // "3→2"
QString reminderRangeText(std::int64_t minimum, std::int64_t maximum); // "3–5"
// The note on one line (line breaks become spaces); "没有写本轮备注" when it is empty.
// A note of blanks only is kept as it is.
QString noteLineText(const QString &note);
// The date badge and start time, from a local date-time: "06", "12月", "15:30".
QString dayOfMonthText(const QDateTime &local);
QString monthText(const QDateTime &local);
QString startTimeText(const QDateTime &local);

// A backup in the restore list: "2026年12月8日 周二 10:30" (local wall-clock seconds since
// 1970-01-01) and "每日备份 · 128 轮记录" / "清空前的备份 · …" / "恢复前的备份 · …".
QString backupTitleText(std::int64_t localSeconds);
QString backupDetailText(int kind, std::int64_t rounds); // kind: backups::Kind

} // namespace tessary::ui
