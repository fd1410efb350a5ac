import QtQuick
import Tessary.Engine
import Tessary.Ui

// The transient message capsule at the top of the detail area; the store clears it.
Item {
    id: toast
    readonly property string message: AppStore.toastMessage
    // A message set before the view was made (a recovery at start) shows too.
    property string shown: message
    height: capsule.height + 12
    z: 20

    onMessageChanged: if (message !== "") shown = message

    Rectangle {
        id: capsule
        anchors.horizontalCenter: parent.horizontalCenter
        y: toast.message !== "" ? 12 : -height - 4
        opacity: toast.message !== "" ? 1 : 0
        Behavior on y { NumberAnimation { duration: 220; easing.type: Easing.InOutQuad } }
        Behavior on opacity { NumberAnimation { duration: 220; easing.type: Easing.InOutQuad } }
        width: row.implicitWidth + 32
        height: row.implicitHeight + 22
        radius: height / 2
        color: TessaryTheme.dark ? Qt.rgba(0.09, 0.13, 0.14, 0.92) : Qt.rgba(1, 1, 1, 0.92)
        border.color: TessaryTheme.hairline
        border.width: 1
        // A screen reader hears it as it appears.
        Accessible.role: Accessible.AlertMessage
        Accessible.name: toast.message
        Accessible.ignored: toast.message === ""
        Row {
            id: row
            anchors.centerIn: parent
            spacing: 9
            Symbol {
                name: AppStore.toastIsWarning ? "exclamationmark.triangle.fill" : "checkmark.circle.fill"
                size: 14
                color: AppStore.toastIsWarning ? TessaryTheme.coral : TessaryTheme.mint
                anchors.verticalCenter: parent.verticalCenter
            }
            Label { text: toast.shown; size: 13; weight: Font.Medium; anchors.verticalCenter: parent.verticalCenter }
        }
    }
}
