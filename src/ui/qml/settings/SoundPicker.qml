import QtQuick
import QtQuick.Controls.Basic
import Tessary.Engine
import Tessary.Ui

// A sound by name, "随机" with the shuffle symbol, and a button that plays the choice.
Row {
    id: picker
    property var options: []
    property string current
    property string label
    signal chosen(string sound)
    spacing: 4

    TessaryComboBox {
        implicitWidth: 110
        label: picker.label
        model: picker.options
        currentIndex: Math.max(0, picker.options.indexOf(picker.current))
        symbolOf: function (text) { return text === "随机" ? "shuffle" : "" }
        onActivated: (i) => picker.chosen(picker.options[i])
    }
    Rectangle {
        width: 30; height: 30; radius: 9
        color: previewArea.pressed ? TessaryTheme.faint(0.10) : "transparent"
        Symbol { anchors.centerIn: parent; name: "speaker.wave.2.fill"; size: 13; color: TessaryTheme.mint }
        PressableArea {
            id: previewArea
            name: "试听" + picker.label
            toolTip: "试听"
            cornerRadius: parent.radius
            onActivated: AppStore.playSound(picker.current)
        }
    }
}
