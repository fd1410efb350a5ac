import QtQuick
import QtQuick.Layouts
import Tessary.Engine
import Tessary.Ui

// A version found during a round, offered quietly once no round runs.
Rectangle {
    id: notice
    objectName: "updateNotice"
    visible: Updater.deferredVersion !== "" && !AppStore.isSessionActive
    implicitHeight: visible ? Math.max(50, row.implicitHeight + 20) : 0
    radius: 12
    color: TessaryTheme.withAlpha(TessaryTheme.mint, area.pressed ? 0.15 : 0.09)
    border.color: TessaryTheme.withAlpha(TessaryTheme.mint, 0.28)
    border.width: 1

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.leftMargin: 12
        anchors.rightMargin: 12
        spacing: 10
        Symbol { name: "arrow.down.circle.fill"; size: 15; font.weight: Font.DemiBold; color: TessaryTheme.mint }
        Column {
            Layout.fillWidth: true
            spacing: 1
            Label { width: parent.width; text: "新版本 v" + Updater.deferredVersion; size: 12; weight: Font.DemiBold }
            Label { width: parent.width; text: "点击查看并更新"; size: 10; color: TessaryTheme.secondaryText }
        }
    }
    PressableArea {
        id: area
        name: "新版本 v" + Updater.deferredVersion + "，点击查看并更新"
        cornerRadius: notice.radius
        onActivated: Updater.checkForUpdates()
    }
}
