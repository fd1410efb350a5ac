import QtQuick
import QtQuick.Layouts
import QtQuick.Window
import Tessary.Engine
import Tessary.Ui

// The floating countdown: the round's time and phase, pause or early resume, the way back
// to the main window and, when chosen, the two signal buttons. Its implicit size is the
// window's; the whole panel drags the window.
Item {
    id: panel
    // Shows the buttons' tooltips as desktop tooltips (FloatingTimer).
    property QtObject host: null
    signal restoreRequested()

    readonly property bool timerShown: Settings.floatingTimerOnMinimize
    readonly property bool signalsShown: Settings.floatingSignalButtons
    readonly property size target: Views.floatingPanelSize(timerShown, signalsShown)
    readonly property int phase: AppStore.phase
    readonly property bool inBreak: phase === AppStore.MicroBreak
    readonly property color tint: TessaryTheme.named(Views.floatingStatusTint(phase))
    readonly property bool dark: TessaryTheme.dark
    readonly property real cornerRadius: timerShown ? 24 : 19

    implicitWidth: target.width
    implicitHeight: target.height
    Behavior on implicitWidth { NumberAnimation { duration: 200; easing.type: Easing.InOutQuad } }
    Behavior on implicitHeight { NumberAnimation { duration: 200; easing.type: Easing.InOutQuad } }

    Accessible.role: Accessible.Pane
    Accessible.name: "汀禾倒计时"

    // Past the drag threshold the window moves, from anywhere on the panel; a click without
    // movement still reaches the button under it.
    DragHandler {
        target: null
        onActiveChanged: if (active && panel.Window.window) panel.Window.window.startSystemMove()
    }

    Canvas {
        id: background
        anchors.fill: parent
        onWidthChanged: requestPaint()
        onHeightChanged: requestPaint()
        Connections {
            target: panel
            function onDarkChanged() { background.requestPaint() }
            function onCornerRadiusChanged() { background.requestPaint() }
        }
        onPaint: {
            const ctx = getContext("2d")
            ctx.reset()
            ctx.beginPath()
            ctx.roundedRect(0.5, 0.5, width - 1, height - 1, panel.cornerRadius, panel.cornerRadius)
            ctx.fillStyle = panel.dark ? Qt.rgba(0x10 / 255, 0x19 / 255, 0x1D / 255, 0.97)
                                       : Qt.rgba(0xF7 / 255, 0xFA / 255, 0xF8 / 255, 0.97)
            ctx.fill()
            const g = ctx.createLinearGradient(0, 0, width, height)
            g.addColorStop(0, TessaryTheme.withAlpha(TessaryTheme.mint, panel.dark ? 0.13 : 0.08))
            g.addColorStop(0.5, Qt.rgba(0, 0, 0, 0))
            g.addColorStop(1, TessaryTheme.withAlpha(TessaryTheme.blue, panel.dark ? 0.07 : 0.04))
            ctx.fillStyle = g
            ctx.fill()
            ctx.lineWidth = 1
            ctx.strokeStyle = panel.dark ? Qt.rgba(1, 1, 1, 0.15) : Qt.rgba(0x14 / 255, 0x21 / 255, 0x1C / 255, 0.11)
            ctx.stroke()
        }
    }

    Item {
        id: timerArea
        objectName: "timerSection"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        height: panel.signalsShown ? Math.max(0, panel.height - 70) : panel.height
        opacity: panel.timerShown ? 1 : 0
        visible: opacity > 0
        Behavior on opacity { NumberAnimation { duration: 200 } }

        RowLayout {
            anchors.fill: parent
            anchors.leftMargin: 18
            anchors.rightMargin: 16
            spacing: 12

            FloatingRing {
                Layout.preferredWidth: 49
                Layout.preferredHeight: 49
                progress: Views.floatingRingProgress(panel.phase, AppStore.focusedElapsedSeconds, AppStore.plannedSeconds)
                tint: panel.tint
                symbol: Views.floatingStatusSymbol(panel.phase)
            }
            ColumnLayout {
                Layout.fillWidth: true
                spacing: 1
                Row {
                    spacing: 6
                    Rectangle { width: 6; height: 6; radius: 3; color: panel.tint; anchors.verticalCenter: parent.verticalCenter }
                    Label { text: Views.floatingStatusText(panel.phase); size: 10; weight: Font.Bold; color: TessaryTheme.secondaryText }
                }
                TabularText {
                    objectName: "floatingTime"
                    Layout.fillWidth: true
                    text: Views.floatingTimerText(panel.phase, AppStore.remainingSeconds, AppStore.breakRemainingSeconds)
                    size: 29
                    weight: Font.Bold
                }
            }
            Row {
                spacing: 6
                FloatingButton {
                    objectName: panel.inBreak ? "resumeButton" : "pauseButton"
                    host: panel.host
                    symbol: panel.inBreak ? "arrow.right" : (panel.phase === AppStore.Paused ? "play.fill" : "pause.fill")
                    help: panel.inBreak ? "提前继续" : (panel.phase === AppStore.Paused ? "继续" : "暂停")
                    onClicked: {
                        if (panel.inBreak) {
                            // The break may have ended between the hover and the click.
                            if (AppStore.phase === AppStore.MicroBreak)
                                AppStore.resumeAfterMicroBreak()
                        } else {
                            AppStore.togglePause()
                        }
                    }
                }
                FloatingButton {
                    objectName: "restoreButton"
                    host: panel.host
                    symbol: "arrow.up.left.and.arrow.down.right"
                    help: "返回主窗口"
                    onClicked: panel.restoreRequested()
                }
            }
        }
    }

    Item {
        id: signalArea
        objectName: "signalSection"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        height: 70
        opacity: panel.signalsShown ? 1 : 0
        visible: opacity > 0
        Behavior on opacity { NumberAnimation { duration: 200 } }

        Rectangle {
            visible: panel.timerShown
            anchors.top: parent.top
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.leftMargin: 16
            anchors.rightMargin: 16
            height: 1
            color: TessaryTheme.hairline
        }
        RowLayout {
            anchors.fill: parent
            anchors.leftMargin: 16
            anchors.rightMargin: 16
            spacing: 10
            FloatingSignalButton {
                objectName: "mindWanderButton"
                Layout.fillWidth: true
                host: panel.host
                title: "我走神了"; count: AppStore.currentMindWanderCount; symbol: "scope"; tint: TessaryTheme.coral
                enabled: !panel.inBreak
                onClicked: AppStore.recordMindWander()
            }
            FloatingSignalButton {
                objectName: "fatigueButton"
                Layout.fillWidth: true
                host: panel.host
                title: "我开始累了"; count: AppStore.currentFatigueCount; symbol: "battery.25"; tint: TessaryTheme.amber
                enabled: !panel.inBreak
                onClicked: AppStore.recordFatigue()
            }
        }
    }
}
