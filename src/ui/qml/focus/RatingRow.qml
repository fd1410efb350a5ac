import QtQuick
import QtQuick.Layouts
import Tessary.Ui

// A 1–5 scale drawn as a bar filled up to the chosen value.
Column {
    id: row
    property string title
    property string low
    property string high
    property color tint: TessaryTheme.mint
    property int value: 3
    signal picked(int n)
    spacing: 8

    Label { text: row.title; size: 12; weight: Font.DemiBold }
    ScaleArea {
        width: parent.width
        implicitHeight: 26
        name: row.title
        description: "1 为" + row.low + "，5 为" + row.high
        value: row.value
        onEdited: (n) => row.picked(n)
        RowLayout {
            anchors.fill: parent
            spacing: 6
            Label { Layout.preferredWidth: 32; text: row.low; size: 9; color: TessaryTheme.secondaryText }
            Repeater {
                model: 5
                delegate: Rectangle {
                    required property int index
                    Layout.fillWidth: true
                    implicitHeight: 26
                    radius: 8
                    color: index + 1 <= row.value ? row.tint : TessaryTheme.faint(0.08)
                    MouseArea { anchors.fill: parent; onClicked: row.picked(index + 1) }
                }
            }
            Label { Layout.preferredWidth: 32; text: row.high; size: 9; color: TessaryTheme.secondaryText; horizontalAlignment: Text.AlignRight }
        }
    }
}
