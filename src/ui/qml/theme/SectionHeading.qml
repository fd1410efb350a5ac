import QtQuick
import Tessary.Ui

// Eyebrow in upper case, title, and an optional subtitle (no empty line without one).
Column {
    property string eyebrow
    property string title
    property string subtitle
    spacing: 5

    Label { text: parent.eyebrow.toUpperCase(); size: 11; weight: Font.Bold; color: TessaryTheme.mint; font.letterSpacing: 1.4 }
    Label { text: parent.title; size: 28; weight: Font.Bold }
    Label { text: parent.subtitle; visible: parent.subtitle !== ""; size: 13; color: TessaryTheme.secondaryText }
}
