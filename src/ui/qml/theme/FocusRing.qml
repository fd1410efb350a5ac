import QtQuick
import Tessary.Ui

// The keyboard focus ring of one of our controls, in the accent, just outside its edge. Our
// controls take focus only from Tab or from code, never from a click, so a mouse user does not
// see it.
Rectangle {
    property Item target: parent
    property real cornerRadius: 12
    anchors.fill: target
    anchors.margins: -3
    radius: cornerRadius + 3
    color: "transparent"
    border.width: 2
    border.color: TessaryTheme.mint
    visible: target.activeFocus
}
