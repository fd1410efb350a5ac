import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import QtQuick.Templates as T
import Tessary.Engine
import Tessary.Ui

// The document's backups, newest first; restoring one asks once more, and the store backs up
// what is there now before replacing it.
Popup {
    id: dialog
    objectName: "backupDialog"
    property var rows: []
    property var chosen: null
    anchors.centerIn: T.Overlay.overlay
    width: 460
    modal: true
    focus: true
    padding: 24
    closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside
    T.Overlay.modal: Rectangle { color: Qt.rgba(0, 0, 0, 0.32) }
    onAboutToShow: rows = Settings.backups()

    background: DialogCard { radius: 24 }

    contentItem: ColumnLayout {
        spacing: 14
        Column {
            Layout.fillWidth: true
            spacing: 4
            Label { width: parent.width; text: "从备份恢复"; size: 18; weight: Font.Bold }
            Label {
                width: parent.width
                text: "汀禾每天第一次启动时、清空记录和恢复备份之前都会自动备份，保留最近 7 天和之前 4 周的备份。"
                size: 12; color: TessaryTheme.secondaryText; wrapMode: Text.WordWrap; elide: Text.ElideNone
            }
        }
        Label {
            visible: dialog.rows.length === 0
            Layout.fillWidth: true
            text: "还没有备份。"
            size: 13; color: TessaryTheme.secondaryText
        }
        ListView {
            id: list
            visible: dialog.rows.length > 0
            Layout.fillWidth: true
            Layout.preferredHeight: Math.min(contentHeight, 320)
            clip: true
            spacing: 6
            model: dialog.rows
            ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }
            delegate: Rectangle {
                required property var modelData
                width: list.width
                implicitHeight: 56
                radius: 12
                color: TessaryTheme.faint(0.05)
                border.color: TessaryTheme.hairline
                border.width: 1
                RowLayout {
                    anchors.fill: parent
                    anchors.leftMargin: 14
                    anchors.rightMargin: 8
                    spacing: 10
                    Column {
                        Layout.fillWidth: true
                        spacing: 2
                        Label { width: parent.width; text: modelData.title; size: 13; weight: Font.DemiBold }
                        Label {
                            width: parent.width
                            text: modelData.detail; size: 11; color: TessaryTheme.secondaryText
                        }
                    }
                    SecondaryButton {
                        implicitHeight: 34
                        text: "恢复"
                        enabled: !AppStore.isSessionActive && !AppStore.showCompletionSheet
                        onClicked: {
                            dialog.chosen = modelData
                            confirm.open()
                        }
                    }
                }
            }
        }
        SecondaryButton { Layout.alignment: Qt.AlignRight; text: "关闭"; onClicked: dialog.close() }
    }

    ConfirmDialog {
        id: confirm
        objectName: "restoreConfirmDialog"
        title: "恢复到这个备份？"
        message: dialog.chosen ? "现在的设置和记录会先另存为一份备份，然后换成 " + dialog.chosen.title + " 的内容（"
                                 + dialog.chosen.detail.split(" · ")[1] + "）。" : ""
        symbol: "clock.arrow.circlepath"
        confirmText: "恢复"
        onConfirmed: {
            if (AppStore.restoreBackup(dialog.chosen.path))
                dialog.close()
            else
                dialog.rows = Settings.backups()
        }
    }
}
