import QtQuick
import Tessary.Ui

// A drawn 1…count scale (ratings, energy dots) as a control: a slider named with its value
// ("专注程度 4/5"). Holds the drawn scale as its children; clicks go to them.
StepperArea {
    property int count: 5
    from: 1
    to: count
    cornerRadius: 8
    Accessible.role: Accessible.Slider
    Accessible.name: name + " " + value + "/" + count
}
