import QtQuick
import Tessary.Ui

// Quiet action button: 14 pt medium on a faint fill with a hairline outline; an icon-only one
// is named by its tooltip.
Rectangle {
    id: button
    property string text
    property string symbol
    property color textColor: TessaryTheme.primaryText
    property real minimumWidth: 0
    property string toolTip
    // What a screen reader says: the text, or for an icon-only button its tooltip, unless a
    // repeated button needs to say which one it is (its tooltip then describes it).
    property string accessibleName: text !== "" ? text : toolTip
    signal clicked()

    implicitHeight: 42
    implicitWidth: Math.max(minimumWidth, row.implicitWidth + (text === "" ? 20 : 32))
    radius: 13
    color: TessaryTheme.faint(area.pressed ? 0.13 : 0.08)
    border.color: TessaryTheme.hairline
    border.width: 1
    opacity: enabled ? 1 : 0.45

    Row {
        id: row
        anchors.centerIn: parent
        spacing: 7
        Symbol { name: button.symbol; visible: button.symbol !== ""; size: 13; color: button.textColor; anchors.verticalCenter: parent.verticalCenter }
        Label { text: button.text; visible: button.text !== ""; size: 14; weight: Font.Medium; color: button.textColor; anchors.verticalCenter: parent.verticalCenter }
    }
    PressableArea {
        id: area
        name: button.accessibleName
        description: button.accessibleName !== button.toolTip ? button.toolTip : ""
        toolTip: button.toolTip
        cornerRadius: button.radius
        onActivated: button.clicked()
    }
}
