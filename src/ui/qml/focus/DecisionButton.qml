import QtQuick
import Tessary.Ui

// A full-width choice: tinted symbol, title over detail, and a chevron.
Rectangle {
    id: button
    property string title
    property string detail
    property string symbol
    property color tint: TessaryTheme.mint
    signal clicked()
    implicitHeight: 62
    radius: 15
    color: TessaryTheme.withAlpha(tint, area.pressed ? 0.13 : 0.075)
    border.color: TessaryTheme.withAlpha(tint, 0.2)
    border.width: 1

    Row {
        anchors.left: parent.left
        anchors.leftMargin: 14
        anchors.verticalCenter: parent.verticalCenter
        spacing: 12
        Rectangle {
            width: 34; height: 34; radius: 17
            color: TessaryTheme.withAlpha(button.tint, 0.12)
            Symbol { anchors.centerIn: parent; name: button.symbol; size: 16; color: button.tint }
        }
        Column {
            anchors.verticalCenter: parent.verticalCenter
            spacing: 2
            Label { text: button.title; size: 14; weight: Font.DemiBold }
            Label { text: button.detail; size: 11; color: TessaryTheme.secondaryText }
        }
    }
    Symbol {
        anchors.right: parent.right
        anchors.rightMargin: 16
        anchors.verticalCenter: parent.verticalCenter
        name: "chevron.right"; size: 10; color: TessaryTheme.withAlpha(button.tint, 0.8)
    }
    PressableArea {
        id: area
        name: button.title
        description: button.detail
        cornerRadius: button.radius
        onActivated: button.clicked()
    }
}
