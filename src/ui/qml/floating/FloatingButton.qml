import QtQuick
import Tessary.Ui

// A small square icon button with a desktop tooltip.
Rectangle {
    id: button
    property string symbol
    property string help
    property QtObject host: null
    signal clicked()
    implicitWidth: 30
    implicitHeight: 30
    radius: 9
    color: TessaryTheme.faint(area.pressed ? 0.13 : (area.containsMouse ? 0.1 : 0.07))
    Accessible.role: Accessible.Button
    Accessible.name: help
    Accessible.onPressAction: clicked()

    Symbol { anchors.centerIn: parent; name: button.symbol; size: 12; color: TessaryTheme.primaryText }
    TipArea {
        id: area
        anchors.fill: parent
        host: button.host
        tip: button.help
        cursorShape: Qt.PointingHandCursor
        onClicked: button.clicked()
    }
}
