import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Tessary.Engine
import Tessary.Ui

// Where a round is designed, started, watched and ended.
Flickable {
    id: view
    objectName: "focusView"
    contentWidth: width
    contentHeight: column.implicitHeight + 64
    clip: true
    boundsBehavior: Flickable.StopAtBounds
    ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }

    readonly property bool active: AppStore.isSessionActive
    readonly property int phase: AppStore.phase

    ColumnLayout {
        id: column
        x: 30
        y: 34
        width: view.width - 60
        spacing: 22

        RowLayout {
            Layout.fillWidth: true
            SectionHeading {
                Layout.fillWidth: true
                eyebrow: Views.dayGreeting
                title: !view.active ? "今天，练习一次完整的注意"
                       : view.phase === AppStore.MicroBreak ? "让大脑安静十秒"
                       : view.phase === AppStore.Paused ? "暂停不是中断，是选择" : "把注意力放回眼前"
                subtitle: view.active ? "计时只统计净专注时间，微休息不会占用本轮时长。"
                                      : "目标不是硬撑得更久，而是越来越了解自己的注意力。"
            }
            Row {
                Layout.alignment: Qt.AlignBottom
                spacing: 18
                MetricPill { symbol: "clock.fill"; value: AppStore.todayMinutes + " 分钟"; label: "今日专注"; tint: TessaryTheme.mint }
                MetricPill { symbol: "scope"; value: AppStore.todayWanderCount + " 次"; label: "今日走神"; tint: TessaryTheme.coral }
                MetricPill { symbol: "flame.fill"; value: AppStore.streakDays + " 天"; label: "连续记录"; tint: TessaryTheme.amber }
            }
        }

        RowLayout {
            Layout.fillWidth: true
            spacing: 21
            TimerCard { Layout.fillWidth: true; Layout.fillHeight: true }
            ControlCard { Layout.preferredWidth: 350; Layout.fillHeight: true }
        }

        SignalCard { Layout.fillWidth: true; visible: view.active }
        RecommendationCard { Layout.fillWidth: true; visible: !view.active }
        AmbientSoundsCard { Layout.fillWidth: true }
    }
}
