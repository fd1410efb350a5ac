import QtQuick
import Tessary.Ui

// A large tinted signal button: symbol, title and a running count.
Rectangle {
    id: button
    property string title
    property string subtitle
    property string symbol
    property color tint: TessaryTheme.coral
    signal clicked()
    implicitHeight: 48
    radius: 13
    color: TessaryTheme.withAlpha(tint, area.pressed ? 0.16 : 0.09)
    border.color: TessaryTheme.withAlpha(tint, 0.2)
    border.width: 1
    opacity: enabled ? 1 : 0.4

    Row {
        anchors.left: parent.left
        anchors.leftMargin: 16
        anchors.verticalCenter: parent.verticalCenter
        spacing: 12
        Symbol { name: button.symbol; size: 17; color: button.tint; anchors.verticalCenter: parent.verticalCenter }
        Label { text: button.title; size: 14; weight: Font.DemiBold; anchors.verticalCenter: parent.verticalCenter }
        Label { text: button.subtitle; size: 11; color: TessaryTheme.secondaryText; anchors.verticalCenter: parent.verticalCenter }
    }
    PressableArea {
        id: area
        name: button.title + (button.subtitle !== "" ? "，" + button.subtitle : "")
        cornerRadius: button.radius
        onActivated: button.clicked()
    }
}
