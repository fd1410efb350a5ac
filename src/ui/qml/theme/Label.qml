import QtQuick
import Tessary.Ui

// Text in the application's type: size in points as the design gives them.
Text {
    property real size: 13
    property int weight: Font.Normal
    property bool rounded: false
    color: TessaryTheme.primaryText
    font.family: TessaryTheme.fontFamily
    font.pixelSize: size
    font.weight: weight
    elide: Text.ElideRight
}
