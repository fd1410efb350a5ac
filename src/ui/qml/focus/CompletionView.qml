import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Tessary.Engine
import Tessary.Ui

// The review of an ended round: summary, two ratings, a note; save or discard.
Item {
    id: sheet
    width: 610
    height: 620

    property int focusRating: 4
    property int endEnergy: 3
    property string note: ""
    property bool showAbandonConfirmation: false
    readonly property string task: Views.taskLabel(AppStore.draftTaskName, AppStore.selectedTaskName)
    // Escape only ever closes the discard confirmation; the sheet itself stays.
    focus: true
    Keys.onEscapePressed: showAbandonConfirmation = false

    BackgroundGradient { anchors.fill: parent; layer.enabled: true }
    Rectangle { anchors.fill: parent; color: "transparent"; radius: 18; border.color: TessaryTheme.hairline }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 30
        spacing: 18

        RowLayout {
            spacing: 14
            Rectangle {
                width: 48; height: 48; radius: 24
                color: TessaryTheme.withAlpha(TessaryTheme.mint, 0.14)
                Symbol { anchors.centerIn: parent; name: "checkmark"; size: 22; color: TessaryTheme.mint }
            }
            Column {
                spacing: 4
                Label { text: "本轮完成"; size: 30; weight: Font.Bold }
                Label { text: "花一分钟复盘，注意力训练才会留下可比较的数据。"; size: 13; color: TessaryTheme.secondaryText }
            }
        }
        Rectangle {
            readonly property color ink: sheet.task === "未分类" ? TessaryTheme.secondaryText : TessaryTheme.blue
            implicitWidth: tagRow.implicitWidth + 18
            implicitHeight: tagRow.implicitHeight + 10
            radius: height / 2
            color: TessaryTheme.withAlpha(ink, 0.09)
            Row {
                id: tagRow
                anchors.centerIn: parent
                spacing: 5
                Symbol { name: "tag.fill"; size: 10; color: parent.parent.ink; anchors.verticalCenter: parent.verticalCenter }
                Label { text: sheet.task; size: 10; weight: Font.DemiBold; color: parent.parent.ink; anchors.verticalCenter: parent.verticalCenter }
            }
        }

        RowLayout {
            Layout.fillWidth: true
            spacing: 12
            SummaryBox { Layout.fillWidth: true; value: Math.trunc(AppStore.focusedElapsedSeconds / 60); label: "专注分钟"; tint: TessaryTheme.mint }
            SummaryBox { Layout.fillWidth: true; value: AppStore.currentMindWanderCount; label: "走神次数"; tint: TessaryTheme.coral }
            SummaryBox { Layout.fillWidth: true; value: AppStore.currentReminderCount; label: "微休息"; tint: TessaryTheme.blue }
        }

        RatingRow {
            Layout.fillWidth: true
            title: "整体专注程度"; low: "很散"; high: "很稳"; tint: TessaryTheme.mint
            value: sheet.focusRating
            onPicked: (n) => sheet.focusRating = n
        }
        RatingRow {
            Layout.fillWidth: true
            title: "结束时的精力"; low: "耗尽"; high: "充沛"; tint: TessaryTheme.amber
            value: sheet.endEnergy
            onPicked: (n) => sheet.endEnergy = n
        }

        Column {
            Layout.fillWidth: true
            spacing: 8
            Label { text: "一句话记录（可选）"; size: 12; weight: Font.DemiBold }
            TextField {
                width: parent.width
                placeholderText: "例如：30 分钟后开始费力，做题比看课更容易保持注意…"
                Accessible.name: "一句话记录（可选）"
                text: sheet.note
                onTextEdited: sheet.note = text
                font.family: TessaryTheme.fontFamily
                font.pixelSize: 13
                padding: 13
                color: TessaryTheme.primaryText
                placeholderTextColor: TessaryTheme.secondaryText
                background: Rectangle { radius: 12; color: TessaryTheme.faint(0.06) }
            }
        }

        Row {
            visible: AppStore.musicMessage !== ""
            spacing: 6
            Symbol { name: "music.note"; size: 11; color: TessaryTheme.coral }
            Label { text: AppStore.musicMessage; size: 11; weight: Font.Medium; color: TessaryTheme.secondaryText; maximumLineCount: 2; wrapMode: Text.WordWrap }
        }

        Item { Layout.fillHeight: true }

        RowLayout {
            Layout.fillWidth: true
            spacing: 10
            Label { text: "记录感觉，不给今天的自己打分。"; size: 10; color: TessaryTheme.secondaryText }
            Item { Layout.fillWidth: true }
            SecondaryButton { text: "放弃且不保存"; textColor: TessaryTheme.coral; onClicked: sheet.showAbandonConfirmation = true }
            PrimaryButton { text: "保存复盘"; onClicked: AppStore.saveCompletion(sheet.focusRating, sheet.endEnergy, sheet.note) }
        }
    }

    // The discard confirmation, over the whole sheet.
    Rectangle {
        anchors.fill: parent
        z: 50
        radius: 18
        color: Qt.rgba(0, 0, 0, 0.3)
        opacity: sheet.showAbandonConfirmation ? 1 : 0
        visible: opacity > 0
        Behavior on opacity { NumberAnimation { duration: 180; easing.type: Easing.OutQuad } }
        MouseArea { anchors.fill: parent; onClicked: sheet.showAbandonConfirmation = false }
        AbandonSessionDialog {
            anchors.centerIn: parent
            scale: sheet.showAbandonConfirmation ? 1 : 0.96
            Behavior on scale { NumberAnimation { duration: 180; easing.type: Easing.OutQuad } }
            onCancelRequested: sheet.showAbandonConfirmation = false
            onConfirmRequested: {
                sheet.showAbandonConfirmation = false
                AppStore.abandonSession()
            }
        }
    }
}
