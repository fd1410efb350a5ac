import QtQuick
import QtQuick.Layouts
import Tessary.Engine
import Tessary.Ui

// The tray popup: the running round's controls and the ambient switch.
Rectangle {
    id: menu
    signal showMainWindowRequested()
    signal closeRequested()
    // Escape closes it, like any popup.
    focus: true
    Keys.onEscapePressed: closeRequested()
    readonly property string mode: Views.menuBarMode(AppStore.phase)
    readonly property bool inBreak: mode === "break"
    width: 270
    implicitHeight: body.implicitHeight + 32
    radius: 14
    color: TessaryTheme.dark ? "#131C1F" : "#FAFCFB"
    border.color: TessaryTheme.hairline

    ColumnLayout {
        id: body
        x: 16; y: 16
        width: parent.width - 32
        spacing: 14

        Row {
            spacing: 8
            Symbol { name: menu.inBreak ? "sparkles" : "leaf.fill"; size: 15; color: TessaryTheme.mint; anchors.verticalCenter: parent.verticalCenter }
            Label {
                anchors.verticalCenter: parent.verticalCenter
                text: menu.inBreak ? "微休息" : AppStore.isSessionActive ? "专注中" : "汀禾"
                size: 15; weight: Font.DemiBold
            }
        }

        // No round: start one. A review still pending: go back to it instead.
        Label { visible: menu.mode === "start"; text: "准备好时，开始一轮安静的专注。"; size: 12; color: TessaryTheme.secondaryText }
        SecondaryButton {
            visible: menu.mode === "start"
            Layout.fillWidth: true
            text: "开始 " + Settings.selectedDurationMinutes + " 分钟"
            onClicked: AppStore.startSession()
        }
        Label { visible: menu.mode === "review"; text: "这一轮还没有复盘。"; size: 12; color: TessaryTheme.secondaryText }
        SecondaryButton {
            visible: menu.mode === "review"
            Layout.fillWidth: true
            text: "回到复盘"
            onClicked: menu.showMainWindowRequested()
        }

        Column {
            visible: AppStore.isSessionActive
            spacing: 2
            Label { text: Settings.selectedDurationMinutes + " 分钟"; size: 12; color: TessaryTheme.secondaryText }
            Label {
                text: menu.inBreak ? AppStore.breakRemainingSeconds + " 秒后继续" : Views.menuTimeText(AppStore.remainingSeconds)
                size: 30; weight: Font.Bold
            }
        }
        SecondaryButton {
            visible: menu.inBreak
            Layout.fillWidth: true
            text: "现在继续"
            onClicked: if (AppStore.phase === AppStore.MicroBreak) AppStore.resumeAfterMicroBreak()
        }
        RowLayout {
            visible: menu.mode === "running"
            Layout.fillWidth: true
            spacing: 8
            SecondaryButton {
                Layout.fillWidth: true
                text: AppStore.phase === AppStore.Paused ? "继续" : "暂停"
                onClicked: AppStore.togglePause()
            }
            SecondaryButton { Layout.fillWidth: true; text: "我走神了"; onClicked: AppStore.recordMindWander() }
        }

        Rectangle { Layout.fillWidth: true; height: 1; color: TessaryTheme.hairline }

        RowLayout {
            Layout.fillWidth: true
            spacing: 8
            Symbol { name: "waveform"; size: 14; color: TessaryTheme.mint }
            Label { Layout.fillWidth: true; text: AppStore.isAmbientPlaying ? "环境音播放中" : "环境音"; size: 13 }
            SecondaryButton {
                implicitHeight: 32; height: 32
                text: AppStore.isAmbientPlaying ? "暂停" : "播放"
                onClicked: AppStore.toggleAmbientPlayback()
            }
        }
    }
}
