import QtQuick
import Tessary.Ui

// What makes a drawn number with − / + steps a control: one Tab stop, the arrow keys step it
// within from…to (Home and End to the ends), the focus ring shows, and a screen reader hears a
// spin box with its name and value that it can raise and lower. Lies over the drawn number
// (the step buttons stay buttons for a screen reader, off the Tab chain) or holds a drawn scale.
FocusScope {
    id: area
    property string name
    property string description
    property int value
    property int from: 1
    property int to: 60
    property real cornerRadius: 12
    signal edited(int value)
    // Qt 6.4 reads a spin box's or slider's range and step from these.
    readonly property real minimumValue: from
    readonly property real maximumValue: to
    readonly property real stepSize: 1
    function step(by) {
        const n = Math.max(from, Math.min(to, value + by))
        if (n !== value)
            edited(n)
    }
    activeFocusOnTab: enabled
    Keys.onUpPressed: step(1)
    Keys.onRightPressed: step(1)
    Keys.onDownPressed: step(-1)
    Keys.onLeftPressed: step(-1)
    Keys.onPressed: (event) => {
        if (event.key === Qt.Key_Home || event.key === Qt.Key_End) {
            step(event.key === Qt.Key_Home ? from - value : to - value)
            event.accepted = true
        }
    }
    Accessible.role: Accessible.SpinBox
    Accessible.name: name
    Accessible.description: description
    Accessible.onIncreaseAction: step(1)
    Accessible.onDecreaseAction: step(-1)
    FocusRing { target: area; cornerRadius: area.cornerRadius }
}
