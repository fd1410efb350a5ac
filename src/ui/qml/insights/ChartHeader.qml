import QtQuick
import QtQuick.Layouts
import Tessary.Ui

// A card's title over its subtitle, with the card's symbol in mint at the trailing end.
RowLayout {
    property string title
    property string subtitle
    property string symbol
    spacing: 10
    Column {
        Layout.fillWidth: true
        spacing: 3
        Label { width: parent.width; text: title; size: 15; weight: Font.DemiBold }
        Label { width: parent.width; text: subtitle; size: 10; color: TessaryTheme.secondaryText }
    }
    Symbol { Layout.alignment: Qt.AlignTop; name: symbol; size: 15; color: TessaryTheme.mint }
}
