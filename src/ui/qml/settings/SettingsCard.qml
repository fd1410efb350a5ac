import QtQuick
import QtQuick.Layouts
import Tessary.Ui

// A settings card: title over subtitle, the tinted symbol on the right, a thin
// divider, then the card's rows.
TessaryCard {
    id: card
    property string title
    property string subtitle
    property string symbol
    property color tint: TessaryTheme.mint
    default property alias rows: body.data
    padding: 20
    implicitHeight: column.implicitHeight + 2 * padding

    ColumnLayout {
        id: column
        width: parent.width
        spacing: 14
        RowLayout {
            Layout.fillWidth: true
            Column {
                Layout.fillWidth: true
                spacing: 3
                Label { width: parent.width; text: card.title; size: 15; weight: Font.DemiBold }
                Label { width: parent.width; text: card.subtitle; size: 10; color: TessaryTheme.secondaryText }
            }
            Symbol { Layout.alignment: Qt.AlignTop; name: card.symbol; size: 16; color: card.tint }
        }
        Rectangle { Layout.fillWidth: true; implicitHeight: 1; color: TessaryTheme.hairline }
        ColumnLayout {
            id: body
            Layout.fillWidth: true
            spacing: 14
        }
    }
}
