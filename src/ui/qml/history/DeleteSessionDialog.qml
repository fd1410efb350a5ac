import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import QtQuick.Templates as T
import Tessary.Ui

// The confirmation before one round leaves the archive for good. Modal over the
// whole window; Escape, a click outside and "取消" all cancel.
Popup {
    id: dialog
    signal confirmed()
    anchors.centerIn: T.Overlay.overlay
    width: 380
    modal: true
    focus: true
    padding: 24
    closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside
    T.Overlay.modal: Rectangle { color: Qt.rgba(0, 0, 0, 0.32) }
    enter: Transition { NumberAnimation { property: "opacity"; from: 0; to: 1; duration: 140 } }
    exit: Transition { NumberAnimation { property: "opacity"; from: 1; to: 0; duration: 100 } }

    background: DialogCard { radius: 24 }

    contentItem: ColumnLayout {
        spacing: 16
        Rectangle {
            implicitWidth: 44; implicitHeight: 44; radius: 22
            color: TessaryTheme.withAlpha(TessaryTheme.coral, 0.12)
            Symbol { anchors.centerIn: parent; name: "trash.fill"; size: 18; color: TessaryTheme.coral }
        }
        Column {
            Layout.fillWidth: true
            spacing: 4
            Label { text: "删除这条专注记录？"; size: 18; weight: Font.Bold }
            Label { text: "删除后无法恢复。"; size: 12; color: TessaryTheme.secondaryText }
        }
        RowLayout {
            Layout.fillWidth: true
            spacing: 10
            SecondaryButton { objectName: "cancelDeleteButton"; Layout.fillWidth: true; Layout.preferredWidth: 1; text: "取消"; onClicked: dialog.close() }
            Rectangle {
                objectName: "confirmDeleteButton"
                Layout.fillWidth: true
                Layout.preferredWidth: 1
                implicitHeight: 42
                radius: 13
                color: TessaryTheme.withAlpha(TessaryTheme.coral, confirmArea.pressed ? 0.8 : 1)
                Label { anchors.centerIn: parent; text: "删除"; size: 14; weight: Font.DemiBold; color: "white" }
                MouseArea {
                    id: confirmArea
                    anchors.fill: parent
                    cursorShape: Qt.PointingHandCursor
                    onClicked: { dialog.confirmed(); dialog.close() }
                }
            }
        }
    }
}
