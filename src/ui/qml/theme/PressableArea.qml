import QtQuick
import QtQuick.Controls.Basic
import Tessary.Ui

// What makes one of our drawn buttons a button: the click area with the pointing hand, Tab to
// reach it, Space or Enter to press it, the focus ring, and a named button for a screen reader
// (with Qt 6.4's press action, which needs the handler). Fills its parent; set `name`.
MouseArea {
    id: area
    property string name
    property string toolTip
    property real cornerRadius: 12
    signal activated()
    anchors.fill: parent
    hoverEnabled: toolTip !== ""
    cursorShape: Qt.PointingHandCursor
    activeFocusOnTab: enabled
    onClicked: activated()
    Keys.onSpacePressed: activated()
    Keys.onReturnPressed: activated()
    Keys.onEnterPressed: activated()
    Accessible.role: Accessible.Button
    Accessible.name: name
    Accessible.onPressAction: activated()
    ToolTip.visible: toolTip !== "" && containsMouse
    ToolTip.text: toolTip
    ToolTip.delay: 500
    FocusRing { target: area; cornerRadius: area.cornerRadius }
}
