import QtQuick
import Tessary.Ui

// The rounded card that frames every block: inner margin, panel fill, hairline outline.
Rectangle {
    id: card
    property real padding: 22
    property bool strong: false
    default property alias content: inner.data
    implicitWidth: inner.childrenRect.width + 2 * padding
    implicitHeight: inner.childrenRect.height + 2 * padding
    radius: 22
    color: strong ? TessaryTheme.panelStrong : TessaryTheme.panel
    border.color: TessaryTheme.hairline
    border.width: 1

    Item {
        id: inner
        anchors.fill: parent
        anchors.margins: card.padding
    }
}
