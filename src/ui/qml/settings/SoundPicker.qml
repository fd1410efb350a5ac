import QtQuick
import QtQuick.Controls.Basic
import Tessary.Engine
import Tessary.Ui

// A sound by name, "随机" with the shuffle symbol, and a button that plays the choice.
Row {
    id: picker
    property var options: []
    property string current
    signal chosen(string sound)
    spacing: 4

    TessaryComboBox {
        implicitWidth: 110
        model: picker.options
        currentIndex: Math.max(0, picker.options.indexOf(picker.current))
        symbolOf: function (text) { return text === "随机" ? "shuffle" : "" }
        onActivated: (i) => picker.chosen(picker.options[i])
    }
    Rectangle {
        width: 30; height: 30; radius: 9
        color: previewArea.pressed ? TessaryTheme.faint(0.10) : "transparent"
        Symbol { anchors.centerIn: parent; name: "speaker.wave.2.fill"; size: 13; color: TessaryTheme.mint }
        MouseArea {
            id: previewArea
            anchors.fill: parent
            hoverEnabled: true
            cursorShape: Qt.PointingHandCursor
            onClicked: AppStore.playSound(picker.current)
            ToolTip.visible: containsMouse
            ToolTip.text: "试听"
            ToolTip.delay: 500
        }
    }
}
