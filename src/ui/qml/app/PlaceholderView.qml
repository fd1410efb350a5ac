import QtQuick
import Tessary.Ui

// Stands in for a section whose screen is still to come.
Item {
    property string title
    SectionHeading {
        anchors.left: parent.left
        anchors.top: parent.top
        anchors.margins: 34
        eyebrow: "Tessary"
        title: parent.title
        subtitle: "这一部分即将到来。"
    }
}
