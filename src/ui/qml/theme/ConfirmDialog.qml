import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import QtQuick.Templates as T
import Tessary.Ui

// A modal question over the whole window before something that cannot be undone.
// Escape, a click outside and the cancel button all cancel; only the destructive
// button emits `confirmed`. The cancel button also emits `cancelClicked`, for a dialog whose
// other choice is an action of its own.
Popup {
    id: dialog
    property string title
    property string message
    property string confirmText
    property string cancelText: "取消"
    property string symbol: "trash.fill"
    signal confirmed()
    signal cancelClicked()
    anchors.centerIn: T.Overlay.overlay
    width: 380
    modal: true
    focus: true
    padding: 24
    closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside
    T.Overlay.modal: Rectangle { color: Qt.rgba(0, 0, 0, 0.32) }
    enter: Transition { NumberAnimation { property: "opacity"; from: 0; to: 1; duration: 140 } }
    exit: Transition { NumberAnimation { property: "opacity"; from: 1; to: 0; duration: 100 } }

    // Opaque under the card's tint: the screen behind must not read through the question.
    background: Rectangle {
        radius: 24
        color: TessaryTheme.background
        DialogCard { anchors.fill: parent; radius: 24 }
    }

    contentItem: ColumnLayout {
        spacing: 16
        Rectangle {
            implicitWidth: 44; implicitHeight: 44; radius: 22
            color: TessaryTheme.withAlpha(TessaryTheme.coral, 0.12)
            Symbol { anchors.centerIn: parent; name: dialog.symbol; size: 18; color: TessaryTheme.coral }
        }
        Column {
            Layout.fillWidth: true
            spacing: 4
            Label { width: parent.width; text: dialog.title; size: 18; weight: Font.Bold }
            Label { width: parent.width; text: dialog.message; size: 12; color: TessaryTheme.secondaryText; wrapMode: Text.WordWrap; elide: Text.ElideNone }
        }
        RowLayout {
            Layout.fillWidth: true
            spacing: 10
            SecondaryButton {
                objectName: "cancelButton"
                Layout.fillWidth: true
                Layout.preferredWidth: 1
                text: dialog.cancelText
                // Closed first: a handler may open the dialog again.
                onClicked: { dialog.close(); dialog.cancelClicked() }
            }
            Rectangle {
                id: confirmButton
                objectName: "confirmButton"
                Layout.fillWidth: true
                Layout.preferredWidth: 1
                implicitHeight: 42
                radius: 13
                color: TessaryTheme.withAlpha(TessaryTheme.coral, confirmArea.pressed ? 0.8 : 1)
                Label { anchors.centerIn: parent; text: dialog.confirmText; size: 14; weight: Font.DemiBold; color: "white" }
                PressableArea {
                    id: confirmArea
                    objectName: "confirmArea"
                    name: dialog.confirmText
                    cornerRadius: confirmButton.radius
                    onActivated: { dialog.confirmed(); dialog.close() }
                }
            }
        }
    }
}
