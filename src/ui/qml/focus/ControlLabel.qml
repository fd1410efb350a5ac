import QtQuick
import QtQuick.Layouts
import Tessary.Ui

// "title ……… value" at the top of each control section.
RowLayout {
    property string title
    property string value
    Label { text: parent.title; size: 11; color: TessaryTheme.secondaryText }
    Item { Layout.fillWidth: true }
    Label { text: parent.value; size: 11 }
}
