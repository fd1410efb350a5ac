import QtQuick
import Tessary.Ui

// A minute value with its title and − / + steps within a range.
Rectangle {
    id: stepper
    property string title
    property string spokenTitle: title
    property int value
    property int from: 1
    property int to: 60
    signal edited(int value)
    implicitWidth: 120
    implicitHeight: 58
    radius: 12
    color: TessaryTheme.faint(0.05)
    StepperArea {
        anchors.fill: parent
        name: stepper.spokenTitle + "（分钟）"
        value: stepper.value; from: stepper.from; to: stepper.to
        cornerRadius: stepper.radius
        onEdited: (v) => stepper.edited(v)
    }

    Column {
        anchors.left: parent.left
        anchors.leftMargin: 12
        anchors.verticalCenter: parent.verticalCenter
        Label { text: stepper.title; size: 9; color: TessaryTheme.secondaryText }
        Row {
            spacing: 2
            Label { text: stepper.value; size: 18; weight: Font.DemiBold }
            Label { text: "分"; size: 10; color: TessaryTheme.secondaryText; anchors.baseline: parent.children[0].baseline }
        }
    }
    Column {
        anchors.right: parent.right
        anchors.rightMargin: 8
        anchors.verticalCenter: parent.verticalCenter
        spacing: 2
        StepButton { symbol: "plus"; name: stepper.spokenTitle + "加一分钟"; tabStop: false; enabled: stepper.value < stepper.to; onClicked: stepper.edited(Math.min(stepper.to, stepper.value + 1)) }
        StepButton { symbol: "minus"; name: stepper.spokenTitle + "减一分钟"; tabStop: false; enabled: stepper.value > stepper.from; onClicked: stepper.edited(Math.max(stepper.from, stepper.value - 1)) }
    }
}
