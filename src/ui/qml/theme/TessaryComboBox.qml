import QtQuick
import QtQuick.Controls.Basic
import Tessary.Ui

// A picker in the theme: a faint rounded box, our chevron, and a themed list that
// opens below it with the current entry in mint. `symbolOf(text)` may give an entry
// a symbol ("随机" → "shuffle").
ComboBox {
    id: picker
    property var symbolOf: function (text) { return "" }
    // What is chosen here, said before the choice: "音乐服务：网易云音乐".
    property string label
    Accessible.name: label !== "" ? label + "：" + displayText : displayText
    FocusRing { target: picker; cornerRadius: 10; visible: picker.visualFocus }
    implicitHeight: 32
    font.family: TessaryTheme.fontFamily
    font.pixelSize: 12
    background: Rectangle { radius: 10; color: TessaryTheme.faint(0.07); border.color: TessaryTheme.hairline }
    contentItem: Row {
        leftPadding: 10
        rightPadding: 26
        spacing: 5
        Symbol {
            visible: name !== ""
            name: picker.symbolOf(picker.displayText)
            size: 11; color: TessaryTheme.secondaryText
            anchors.verticalCenter: parent.verticalCenter
        }
        Label {
            width: picker.width - 36 - (parent.children[0].visible ? 20 : 0)
            text: picker.displayText; size: 12
            anchors.verticalCenter: parent.verticalCenter
        }
    }
    // The stock indicator and list are drawn for a light window; these follow the theme.
    indicator: Symbol {
        x: picker.width - width - 10
        y: (picker.height - height) / 2
        name: "chevron.up.chevron.down"
        size: 12
        color: TessaryTheme.secondaryText
    }
    delegate: ItemDelegate {
        required property int index
        required property var modelData
        readonly property string entry: picker.textRole !== "" ? modelData[picker.textRole] : modelData
        width: ListView.view ? ListView.view.width : picker.width
        implicitHeight: 30
        highlighted: picker.highlightedIndex === index
        contentItem: Row {
            spacing: 6
            Symbol {
                visible: name !== ""
                name: picker.symbolOf(parent.parent.entry)
                size: 11
                color: index === picker.currentIndex ? TessaryTheme.mint : TessaryTheme.secondaryText
                anchors.verticalCenter: parent.verticalCenter
            }
            Label {
                text: parent.parent.entry
                size: 12
                weight: index === picker.currentIndex ? Font.DemiBold : Font.Normal
                color: index === picker.currentIndex ? TessaryTheme.mint : TessaryTheme.primaryText
                anchors.verticalCenter: parent.verticalCenter
            }
        }
        background: Rectangle {
            radius: 6
            color: parent.highlighted || parent.hovered ? TessaryTheme.faint(0.10) : "transparent"
        }
    }
    popup.y: picker.height + 4
    popup.padding: 4
    popup.width: Math.max(picker.width, 140)
    popup.height: popup.contentItem.implicitHeight + 8
    popup.contentItem: ListView {
        clip: true
        implicitHeight: Math.min(contentHeight, 300)
        model: picker.delegateModel
        currentIndex: picker.highlightedIndex
        boundsBehavior: Flickable.StopAtBounds
        ScrollIndicator.vertical: ScrollIndicator {}
    }
    popup.background: Rectangle {
        radius: 10
        color: TessaryTheme.dark ? "#1A2427" : "#FFFFFF"
        border.color: TessaryTheme.hairline
    }
}
