import QtQuick
import Tessary.Ui

// A line whose digits all take the width of a zero, so a running countdown does not
// shift; it shrinks its type to fit its width.
Item {
    id: root
    property string text
    property real size: 13
    property int weight: Font.Normal
    property color color: TessaryTheme.primaryText

    TextMetrics { id: zero; font.family: TessaryTheme.fontFamily; font.pixelSize: root.size; font.weight: root.weight; text: "0" }
    TextMetrics { id: others; font: zero.font; text: root.text.replace(/[0-9]/g, "") }
    readonly property int digitCount: root.text.length - root.text.replace(/[0-9]/g, "").length
    readonly property real naturalWidth: digitCount * zero.advanceWidth + others.advanceWidth
    readonly property real fit: width > 0 && naturalWidth > width ? width / naturalWidth : 1

    implicitWidth: naturalWidth
    implicitHeight: line.implicitHeight

    Row {
        id: line
        Repeater {
            model: root.text.length
            Text {
                readonly property string character: root.text.charAt(index)
                text: character
                width: character >= "0" && character <= "9" ? zero.advanceWidth * root.fit : implicitWidth
                horizontalAlignment: Text.AlignHCenter
                color: root.color
                font.family: TessaryTheme.fontFamily
                font.pixelSize: root.size * root.fit
                font.weight: root.weight
            }
        }
    }
}
