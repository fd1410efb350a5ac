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
    // Reached with Tab, pressed with Space or Enter, and a button to a screen reader (Qt 6.4's
    // press action needs the handler).
    activeFocusOnTab: enabled
    Accessible.role: Accessible.Button
    Accessible.name: text
    Accessible.onPressAction: clicked()
    Keys.onSpacePressed: clicked()
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()
    FocusRing { cornerRadius: button.radius }

    Row {
        id: row
        anchors.centerIn: parent
        spacing: 7
        Symbol { name: button.symbol; visible: button.symbol !== ""; size: 14; color: TessaryTheme.onAccent; anchors.verticalCenter: parent.verticalCenter }
        Label { text: button.text; size: 15; weight: Font.DemiBold; color: TessaryTheme.onAccent; anchors.verticalCenter: parent.verticalCenter }
    }
    MouseArea {
        id: area
        anchors.fill: parent
        cursorShape: Qt.PointingHandCursor
        onClicked: button.clicked()
    }
}
