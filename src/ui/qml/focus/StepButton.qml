import QtQuick
import Tessary.Ui

// A small − or + step.
Rectangle {
    id: step
    property string symbol
    signal clicked()
    width: 22; height: 20; radius: 6
    color: TessaryTheme.faint(area.pressed ? 0.14 : 0.08)
    opacity: enabled ? 1 : 0.35
    Symbol { anchors.centerIn: parent; name: step.symbol; size: 11; color: TessaryTheme.primaryText }
    MouseArea { id: area; anchors.fill: parent; onClicked: step.clicked() }
}
