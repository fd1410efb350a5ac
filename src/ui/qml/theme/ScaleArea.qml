import QtQuick
import Tessary.Ui

// What makes a drawn 1…count scale (ratings, energy dots) a control: Tab reaches it, the arrow
// keys, Home and End move its value, the focus ring shows, and a screen reader hears a slider
// named with its value ("专注程度 4/5") that it can raise and lower. Holds the drawn scale as its
// children; clicks go to them.
FocusScope {
    id: scale
    property string name
    property string description
    property int value: 1
    property int count: 5
    property real cornerRadius: 8
    signal picked(int n)
    // Qt 6.4 reads a slider's range and step from these (value is read as it is).
    readonly property real minimumValue: 1
    readonly property real maximumValue: count
    readonly property real stepSize: 1
    function step(by) {
        const n = Math.max(1, Math.min(count, value + by))
        if (n !== value)
            picked(n)
    }
    activeFocusOnTab: enabled
    Keys.onLeftPressed: step(-1)
    Keys.onDownPressed: step(-1)
    Keys.onRightPressed: step(1)
    Keys.onUpPressed: step(1)
    Keys.onPressed: (event) => {
        if (event.key === Qt.Key_Home || event.key === Qt.Key_End) {
            picked(event.key === Qt.Key_Home ? 1 : count)
            event.accepted = true
        }
    }
    Accessible.role: Accessible.Slider
    Accessible.name: name + " " + value + "/" + count
    Accessible.description: description
    Accessible.onIncreaseAction: step(1)
    Accessible.onDecreaseAction: step(-1)
    FocusRing { target: scale; cornerRadius: scale.cornerRadius }
}
