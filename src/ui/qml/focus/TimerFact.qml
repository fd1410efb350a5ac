import QtQuick
import Tessary.Ui

// One fact under the ring: symbol, title and caption stacked.
Column {
    property string symbol
    property string title
    property string caption
    spacing: 3
    Symbol { anchors.horizontalCenter: parent.horizontalCenter; name: parent.symbol; size: 13; color: TessaryTheme.mint }
    Label { anchors.horizontalCenter: parent.horizontalCenter; text: parent.title; size: 10; color: TessaryTheme.secondaryText }
    Label { anchors.horizontalCenter: parent.horizontalCenter; text: parent.caption; size: 13; weight: Font.DemiBold }
}
