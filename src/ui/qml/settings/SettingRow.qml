import QtQuick
import QtQuick.Layouts
import Tessary.Ui

// One setting: its title over a detail line on the left, its control on the right.
RowLayout {
    id: row
    property string title
    property string detail
    default property alias accessory: slot.data
    Layout.fillWidth: true
    spacing: 12
    Column {
        Layout.fillWidth: true
        spacing: 2
        Label { width: parent.width; text: row.title; size: 12; weight: Font.Medium }
        Label { width: parent.width; visible: text !== ""; text: row.detail; size: 10; color: TessaryTheme.secondaryText }
    }
    Row {
        id: slot
        Layout.alignment: Qt.AlignVCenter
        spacing: 6
    }
}
