import QtQuick
import Tessary.Ui

// Filled action button: 15 pt semibold on the given colour, dims and shrinks while pressed.
Rectangle {
    id: button
    property string text
    property string symbol
    property color fill: TessaryTheme.mint
    property real minimumWidth: 0
    signal clicked()

    implicitHeight: 46
    implicitWidth: Math.max(minimumWidth, row.implicitWidth + 40)
    radius: 14
    color: Qt.rgba(fill.r, fill.g, fill.b, area.pressed ? 0.78 : 1)
    opacity: enabled ? 1 : 0.45
    scale: area.pressed ? 0.98 : 1
    Behavior on scale { NumberAnimation { duration: 120; easing.type: Easing.OutQuad } }

    Row {
        id: row
        anchors.centerIn: parent
        spacing: 7
        Symbol { name: button.symbol; visible: button.symbol !== ""; size: 14; color: TessaryTheme.onAccent; anchors.verticalCenter: parent.verticalCenter }
        Label { text: button.text; size: 15; weight: Font.DemiBold; color: TessaryTheme.onAccent; anchors.verticalCenter: parent.verticalCenter }
    }
    PressableArea { id: area; name: button.text; cornerRadius: button.radius; onActivated: button.clicked() }
}
