import QtQuick
import Tessary.Ui

// A whole number with its unit and − / + steps, kept within from…to.
Rectangle {
    id: stepper
    property int value
    property int from: 1
    property int to: 60
    property string unit
    property bool showsValue: true
    property string name
    signal edited(int value)
    implicitWidth: showsValue ? 150 : 56
    implicitHeight: 30
    radius: 9
    color: showsValue ? TessaryTheme.faint(0.06) : "transparent"
    border.color: showsValue ? TessaryTheme.hairline : "transparent"
    // Without its number the stepper only adds − / + to a field, which is the value's Tab stop.
    StepperArea {
        visible: stepper.showsValue
        anchors.fill: parent
        name: stepper.name + (stepper.unit !== "" ? "（" + stepper.unit.trim() + "）" : "")
        value: stepper.value; from: stepper.from; to: stepper.to
        cornerRadius: stepper.radius
        onEdited: (v) => stepper.edited(v)
    }

    Label {
        visible: stepper.showsValue
        anchors.left: parent.left
        anchors.leftMargin: 10
        anchors.verticalCenter: parent.verticalCenter
        text: stepper.value + stepper.unit
        size: 12; weight: Font.Medium
    }
    Row {
        anchors.right: parent.right
        anchors.rightMargin: 4
        anchors.verticalCenter: parent.verticalCenter
        spacing: 3
        StepButton {
            objectName: "stepDown"
            symbol: "minus"
            name: stepper.name + "减一"
            tabStop: false
            enabled: stepper.value > stepper.from
            onClicked: stepper.edited(Math.max(stepper.from, stepper.value - 1))
        }
        StepButton {
            objectName: "stepUp"
            symbol: "plus"
            name: stepper.name + "加一"
            tabStop: false
            enabled: stepper.value < stepper.to
            onClicked: stepper.edited(Math.min(stepper.to, Math.max(stepper.from, stepper.value + 1)))
        }
    }
}
