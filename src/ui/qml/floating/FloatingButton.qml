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
    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: button.clicked()
        onContainsMouseChanged: {
            if (containsMouse) {
                tipDelay.restart()
            } else {
                tipDelay.stop()
                if (button.host)
                    button.host.hideTip()
            }
        }
    }
    Timer { id: tipDelay; interval: 600; onTriggered: if (button.host) button.host.showTip(button.help, button) }
}
