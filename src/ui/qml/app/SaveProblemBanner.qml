import QtQuick
import QtQuick.Layouts
import Tessary.Engine
import Tessary.Ui

// Stays while the disk is behind memory: what failed, why, and that 汀禾 keeps trying.
Rectangle {
    id: banner
    objectName: "saveProblemBanner"
    readonly property string message: AppStore.saveProblemText
    visible: message !== ""
    implicitHeight: visible ? row.implicitHeight + 20 : 0
    radius: 12
    color: TessaryTheme.withAlpha(TessaryTheme.coral, TessaryTheme.dark ? 0.16 : 0.10)
    border.color: TessaryTheme.withAlpha(TessaryTheme.coral, 0.35)
    border.width: 1
    Accessible.role: Accessible.AlertMessage
    Accessible.name: message

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.leftMargin: 14
        anchors.rightMargin: 10
        spacing: 10
        Symbol { name: "exclamationmark.triangle.fill"; size: 16; color: TessaryTheme.coral }
        Label {
            Layout.fillWidth: true
            text: banner.message
            size: 12; weight: Font.Medium; wrapMode: Text.WordWrap; elide: Text.ElideNone
        }
        SecondaryButton {
            objectName: "retrySaveButton"
            implicitHeight: 32
            text: "重试"
            symbol: "arrow.clockwise"
            onClicked: AppStore.retrySave()
        }
    }
}
