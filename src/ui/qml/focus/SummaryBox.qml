import QtQuick
import Tessary.Ui

// A number over its label on a tinted box.
Rectangle {
    property int value
    property string label
    property color tint: TessaryTheme.mint
    implicitHeight: 72
    radius: 13
    color: TessaryTheme.withAlpha(tint, 0.075)
    Column {
        anchors.centerIn: parent
        spacing: 2
        Label { anchors.horizontalCenter: parent.horizontalCenter; text: parent.parent.value; size: 23; weight: Font.Bold }
        Label { anchors.horizontalCenter: parent.horizontalCenter; text: parent.parent.label; size: 10; weight: Font.Medium; color: TessaryTheme.secondaryText }
    }
}
