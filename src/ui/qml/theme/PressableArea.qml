import QtQuick
import QtQuick.Controls.Basic
import Tessary.Ui

// What makes one of our drawn buttons a button: the click area with the pointing hand, Tab to
// reach it, Space or Enter to press it, the focus ring, and a named button for a screen reader
// (with Qt 6.4's press action, which needs the handler). Fills its parent; set `name`.
// With `checkable` it is one option of a group (a radio button, or a tab with the tab role):
// the arrow keys move to the neighbouring option of the same group and choose it. With the
// check box role it is a toggle of its own.
MouseArea {
    id: area
    property string name
    property string description
    property string toolTip
    property real cornerRadius: 12
    property bool checkable: false
    property bool checked: false
    property bool tabStop: true
    property int accessibleRole: checkable ? Accessible.RadioButton : Accessible.Button
    signal activated()
    anchors.fill: parent
    hoverEnabled: toolTip !== ""
    cursorShape: Qt.PointingHandCursor
    activeFocusOnTab: enabled && tabStop
    onClicked: activated()
    Keys.onSpacePressed: activated()
    Keys.onReturnPressed: activated()
    Keys.onEnterPressed: activated()
    Keys.onLeftPressed: (event) => chooseNeighbour(false, event)
    Keys.onUpPressed: (event) => chooseNeighbour(false, event)
    Keys.onRightPressed: (event) => chooseNeighbour(true, event)
    Keys.onDownPressed: (event) => chooseNeighbour(true, event)
    function chooseNeighbour(forward, event) {
        const grouped = checkable && accessibleRole !== Accessible.CheckBox
        const next = grouped ? nextItemInFocusChain(forward) : null
        if (!next || next.accessibleRole !== accessibleRole || next.parent.parent !== parent.parent) {
            event.accepted = false
            return
        }
        next.forceActiveFocus(Qt.TabFocusReason)
        next.activated()
    }
    Accessible.role: accessibleRole
    Accessible.name: name
    Accessible.description: description
    Accessible.checkable: checkable
    Accessible.checked: checked
    Accessible.onPressAction: activated()
    ToolTip.visible: toolTip !== "" && containsMouse
    ToolTip.text: toolTip
    ToolTip.delay: 500
    FocusRing { target: area; cornerRadius: area.cornerRadius }
}
