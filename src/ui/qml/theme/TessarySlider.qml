import QtQuick
import QtQuick.Controls.Basic
import Tessary.Ui

// A slim slider in the theme: a faint track, a tinted fill and a small knob.
Slider {
    id: slider
    property color tint: TessaryTheme.mint
    implicitHeight: 16
    stepSize: (to - from) / 20
    // Qt 6.4 reads a slider's range for a screen reader from these.
    readonly property real minimumValue: from
    readonly property real maximumValue: to
    FocusRing { target: slider; cornerRadius: 8; visible: slider.visualFocus }
    background: Rectangle {
        x: slider.leftPadding
        y: slider.topPadding + slider.availableHeight / 2 - height / 2
        width: slider.availableWidth
        height: 4
        radius: 2
        color: TessaryTheme.faint(0.12)
        Rectangle {
            width: slider.visualPosition * parent.width
            height: parent.height
            radius: 2
            color: slider.tint
        }
    }
    handle: Rectangle {
        x: slider.leftPadding + slider.visualPosition * (slider.availableWidth - width)
        y: slider.topPadding + slider.availableHeight / 2 - height / 2
        width: 12; height: 12; radius: 6
        color: TessaryTheme.dark ? "#E9F1ED" : "white"
        border.color: TessaryTheme.withAlpha(slider.tint, 0.6)
    }
}
