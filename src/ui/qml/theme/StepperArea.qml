import QtQuick
import Tessary.Ui

// What makes a drawn number with − / + steps a control: one Tab stop, the arrow keys step it
// within from…to, the focus ring shows, and a screen reader hears a spin box with its name and
// value that it can raise and lower. Fills its parent, under the step buttons (which stay
// buttons for a screen reader, off the Tab chain).
FocusScope {
    id: area
    property string name
    property int value
    property int from: 1
    property int to: 60
    property real cornerRadius: 12
    signal edited(int value)
    // Qt 6.4 reads a spin box's range and step from these.
    readonly property real minimumValue: from
    readonly property real maximumValue: to
    readonly property real stepSize: 1
    function step(by) {
        const n = Math.max(from, Math.min(to, value + by))
        if (n !== value)
            edited(n)
    }
    anchors.fill: parent
    activeFocusOnTab: enabled
    Keys.onUpPressed: step(1)
    Keys.onRightPressed: step(1)
    Keys.onDownPressed: step(-1)
    Keys.onLeftPressed: step(-1)
    Accessible.role: Accessible.SpinBox
    Accessible.name: name
    Accessible.onIncreaseAction: step(1)
    Accessible.onDecreaseAction: step(-1)
    FocusRing { target: area; cornerRadius: area.cornerRadius }
}
