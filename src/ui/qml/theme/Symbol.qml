import QtQuick
import Tessary.Engine

// One icon by its symbol name, drawn from the bundled icon font.
Text {
    property string name
    property real size: 14
    font.family: Symbols.fontFamily
    font.pixelSize: size * 1.15
    text: name === "" ? "" : Symbols.glyph(name)
    horizontalAlignment: Text.AlignHCenter
    verticalAlignment: Text.AlignVCenter
    renderType: Text.QtRendering
}
