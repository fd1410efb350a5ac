import QtQuick
import Tessary.Ui

// One headline figure: symbol, value, label and footnote.
TessaryCard {
    id: card
    property string symbol
    property string value
    property string label
    property string footnote
    property color tint: TessaryTheme.mint
    padding: 18
    implicitHeight: column.implicitHeight + 2 * padding

    Column {
        id: column
        width: parent.width
        spacing: 6
        Symbol { name: card.symbol; size: 15; color: card.tint; font.weight: Font.DemiBold }
        Label { width: parent.width; text: card.value; size: 23; weight: Font.Bold }
        Column {
            width: parent.width
            spacing: 2
            Label { width: parent.width; text: card.label; size: 11; weight: Font.DemiBold; color: TessaryTheme.withAlpha(TessaryTheme.primaryText, 0.82) }
            Label { width: parent.width; text: card.footnote; size: 9; color: TessaryTheme.secondaryText }
        }
    }
}
