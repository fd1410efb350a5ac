import QtQuick
import Tessary.Ui

// A symbol tile followed by a value over its label.
Row {
    id: pill
    property string symbol
    property string value
    property string label
    property color tint: TessaryTheme.mint
    spacing: 9

    Rectangle {
        width: 28; height: 28; radius: 8
        color: TessaryTheme.withAlpha(pill.tint, 0.12)
        anchors.verticalCenter: parent.verticalCenter
        Symbol { anchors.centerIn: parent; name: pill.symbol; size: 13; color: pill.tint; font.weight: Font.DemiBold }
    }
    Column {
        anchors.verticalCenter: parent.verticalCenter
        Label { text: pill.value; size: 14; weight: Font.DemiBold }
        Label { text: pill.label; size: 10; weight: Font.Medium; color: TessaryTheme.secondaryText }
    }
}
