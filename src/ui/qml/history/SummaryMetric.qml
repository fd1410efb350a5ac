import QtQuick
import QtQuick.Layouts
import Tessary.Ui

// One summary figure: a mint symbol tile, the value over its label.
TessaryCard {
    id: box
    property string symbol
    property string value
    property string label
    padding: 16
    implicitHeight: row.implicitHeight + 2 * padding

    RowLayout {
        id: row
        width: parent.width
        spacing: 12
        Rectangle {
            implicitWidth: 36; implicitHeight: 36; radius: 11
            color: TessaryTheme.withAlpha(TessaryTheme.mint, 0.10)
            Symbol { anchors.centerIn: parent; name: box.symbol; size: 15; color: TessaryTheme.mint }
        }
        Column {
            Layout.fillWidth: true
            spacing: 1
            Label { width: parent.width; text: box.value; size: 20; weight: Font.DemiBold }
            Label { width: parent.width; text: box.label; size: 10; color: TessaryTheme.secondaryText }
        }
    }
}
