import QtQuick
import Tessary.Ui

// A small − or + step.
Rectangle {
    id: step
    property string symbol
    // What a screen reader says; the steppers name what they change.
    property string name: symbol === "minus" ? "减少" : "增加"
    property alias tabStop: area.tabStop
    signal clicked()
    width: 22; height: 20; radius: 6
    color: TessaryTheme.faint(area.pressed ? 0.14 : 0.08)
    opacity: enabled ? 1 : 0.35
    Symbol { anchors.centerIn: parent; name: step.symbol; size: 11; color: TessaryTheme.primaryText }
    PressableArea { id: area; name: step.name; cornerRadius: step.radius; onActivated: step.clicked() }
}
