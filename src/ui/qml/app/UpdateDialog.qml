import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import QtQuick.Templates as T
import Tessary.Engine
import Tessary.Ui

// A newer version: its notes, and download (in the browser), later, or skip it.
// Escape or a click outside means "later".
Popup {
    id: dialog
    objectName: "updateDialog"
    anchors.centerIn: T.Overlay.overlay
    width: 440
    modal: true
    focus: true
    padding: 24
    closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside
    onClosed: if (Updater.hasOffer) Updater.remindLater()
    Connections {
        target: Updater
        function onOfferChanged() { Updater.hasOffer ? dialog.open() : dialog.close() }
    }
    T.Overlay.modal: Rectangle { color: Qt.rgba(0, 0, 0, 0.32) }
    background: DialogCard { radius: 24 }

    contentItem: ColumnLayout {
        spacing: 14
        Rectangle {
            implicitWidth: 44; implicitHeight: 44; radius: 22
            color: TessaryTheme.withAlpha(TessaryTheme.mint, 0.12)
            Symbol { anchors.centerIn: parent; name: "arrow.down.circle.fill"; size: 20; color: TessaryTheme.mint }
        }
        Label { text: "发现新版本 v" + Updater.offeredVersion; size: 18; weight: Font.Bold }
        Label { text: "当前版本 " + Updater.currentVersion; size: 11; color: TessaryTheme.secondaryText }
        Flickable {
            Layout.fillWidth: true
            Layout.preferredHeight: Math.min(notes.implicitHeight, 220)
            visible: Updater.offeredNotes !== ""
            contentHeight: notes.implicitHeight
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }
            Label {
                id: notes
                width: parent.width
                text: Updater.offeredNotes
                textFormat: Text.PlainText
                size: 12; color: TessaryTheme.secondaryText
                wrapMode: Text.WordWrap; elide: Text.ElideNone
            }
        }
        RowLayout {
            Layout.fillWidth: true
            Layout.topMargin: 4
            spacing: 8
            SecondaryButton { objectName: "skipVersionButton"; text: "跳过此版本"; onClicked: Updater.skipThisVersion() }
            Item { Layout.fillWidth: true }
            SecondaryButton { objectName: "remindLaterButton"; text: "稍后提醒"; onClicked: Updater.remindLater() }
            PrimaryButton { objectName: "downloadButton"; text: "下载"; symbol: "arrow.down.circle.fill"; onClicked: Updater.download() }
        }
    }
}
