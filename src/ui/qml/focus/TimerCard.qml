import QtQuick
import QtQuick.Layouts
import Tessary.Engine
import Tessary.Ui

// The big countdown ring with the round's buttons and facts.
TessaryCard {
    id: card
    readonly property int phase: AppStore.phase
    readonly property bool active: AppStore.isSessionActive
    readonly property string task: Views.taskLabel(AppStore.draftTaskName, AppStore.selectedTaskName)
    implicitHeight: body.implicitHeight + 2 * padding

    ColumnLayout {
        id: body
        width: parent.width
        spacing: 18

        Item {
            id: ring
            Layout.alignment: Qt.AlignHCenter
            implicitWidth: 305; implicitHeight: 305
            Rectangle {
                // A soft glow behind the ring.
                anchors.centerIn: parent
                width: 360; height: 360; radius: 180
                color: TessaryTheme.withAlpha(TessaryTheme.mint, TessaryTheme.dark ? 0.045 : 0.06)
            }
            ProgressRing {
                anchors.fill: parent
                progress: Views.ringProgress(card.active, AppStore.focusedElapsedSeconds, AppStore.plannedSeconds)
            }
            Column {
                anchors.centerIn: parent
                spacing: 4
                Symbol {
                    anchors.horizontalCenter: parent.horizontalCenter
                    name: Views.phaseSymbol(card.phase)
                    size: 18
                    color: card.phase === AppStore.Paused ? TessaryTheme.amber
                         : card.phase === AppStore.MicroBreak ? TessaryTheme.blue : TessaryTheme.mint
                }
                Label {
                    anchors.horizontalCenter: parent.horizontalCenter
                    text: Views.timerText(card.phase, Settings.selectedDurationMinutes, AppStore.remainingSeconds, AppStore.breakRemainingSeconds)
                    size: 55; weight: Font.Bold
                    // Read with what it counts: "高等数学 · 净专注剩余 47:46".
                    Accessible.role: Accessible.StaticText
                    Accessible.name: Views.timerCaption(card.phase, card.task) + " " + text
                }
                Label {
                    anchors.horizontalCenter: parent.horizontalCenter
                    width: Math.min(implicitWidth, 230)
                    horizontalAlignment: Text.AlignHCenter
                    text: Views.timerCaption(card.phase, card.task)
                    size: 12; weight: Font.DemiBold; color: TessaryTheme.secondaryText
                    font.letterSpacing: 1
                }
            }
        }

        Row {
            Layout.alignment: Qt.AlignHCenter
            spacing: 12
            visible: card.phase !== AppStore.Completed
            PrimaryButton {
                visible: card.phase === AppStore.Idle
                text: "开始这一轮"; symbol: "play.fill"
                onClicked: AppStore.startSession()
            }
            PrimaryButton {
                visible: card.phase === AppStore.Focusing || card.phase === AppStore.Paused
                minimumWidth: 95
                text: card.phase === AppStore.Paused ? "继续" : "暂停"
                symbol: card.phase === AppStore.Paused ? "play.fill" : "pause.fill"
                onClicked: AppStore.togglePause()
            }
            PrimaryButton {
                visible: card.phase === AppStore.MicroBreak
                text: "提前继续"; symbol: "arrow.right"
                onClicked: if (AppStore.phase === AppStore.MicroBreak) AppStore.resumeAfterMicroBreak()
            }
            SecondaryButton {
                visible: card.active
                height: 46
                text: "结束"; symbol: "stop.fill"
                onClicked: AppStore.showSessionEndDialog = true
            }
        }

        Row {
            Layout.alignment: Qt.AlignHCenter
            spacing: 18
            TimerFact { symbol: "hourglass"; title: "本轮目标"; caption: Settings.selectedDurationMinutes + " 分钟" }
            Rectangle { width: 1; height: 31; color: TessaryTheme.hairline; anchors.verticalCenter: parent.verticalCenter }
            TimerFact { symbol: "bell.badge"; title: "随机提示"; caption: Settings.reminderMinimumMinutes + "–" + Settings.reminderMaximumMinutes + " 分钟" }
            Rectangle { visible: nextFact.visible; width: 1; height: 31; color: TessaryTheme.hairline; anchors.verticalCenter: parent.verticalCenter }
            TimerFact {
                id: nextFact
                visible: Settings.showNextReminder && card.active && card.phase !== AppStore.MicroBreak
                symbol: "eye"; title: "下次提示"; caption: AppStore.nextReminderDescription
            }
        }
    }
}
