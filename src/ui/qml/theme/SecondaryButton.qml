import QtQuick
import QtQuick.Controls.Basic
import Tessary.Ui

// Quiet action button: 14 pt medium on a faint fill with a hairline outline.
Rectangle {
    id: button
    property string text
    property string symbol
    property color textColor: TessaryTheme.primaryText
    property real minimumWidth: 0
    property string toolTip
    signal clicked()

    implicitHeight: 42
    implicitWidth: Math.max(minimumWidth, row.implicitWidth + (text === "" ? 20 : 32))
    radius: 13
    color: TessaryTheme.faint(area.pressed ? 0.13 : 0.08)
    border.color: TessaryTheme.hairline
    border.width: 1
    opacity: enabled ? 1 : 0.45
    // Reached with Tab, pressed with Space or Enter, and a button to a screen reader (Qt 6.4's
    // press action needs the handler); an icon-only button is named by its tooltip.
    activeFocusOnTab: enabled
    Accessible.role: Accessible.Button
    Accessible.name: text !== "" ? text : toolTip
    Accessible.onPressAction: clicked()
    Keys.onSpacePressed: clicked()
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()
    FocusRing { cornerRadius: button.radius }

    Row {
        id: row
        anchors.centerIn: parent
        spacing: 7
        Symbol { name: button.symbol; visible: button.symbol !== ""; size: 13; color: button.textColor; anchors.verticalCenter: parent.verticalCenter }
        Label { text: button.text; visible: button.text !== ""; size: 14; weight: Font.Medium; color: button.textColor; anchors.verticalCenter: parent.verticalCenter }
    }
    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: button.clicked()
        ToolTip.visible: button.toolTip !== "" && containsMouse
        ToolTip.text: button.toolTip
        ToolTip.delay: 500
    }
}
