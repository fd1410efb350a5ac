import QtQuick
import QtQuick.Controls.Basic
import Tessary.Ui

// A small switch in the theme's mint.
Switch {
    id: control
    implicitWidth: 34
    implicitHeight: 20
    padding: 0
    indicator: Rectangle {
        width: 34; height: 20; radius: 10
        color: control.checked ? TessaryTheme.mint : TessaryTheme.faint(0.16)
        Behavior on color { ColorAnimation { duration: 120 } }
        Rectangle {
            x: control.checked ? parent.width - width - 2 : 2
            y: 2
            width: 16; height: 16; radius: 8
            color: "white"
            Behavior on x { NumberAnimation { duration: 120 } }
        }
    }
    contentItem: Item {}
    FocusRing { target: control; cornerRadius: 10; visible: control.visualFocus }
}
