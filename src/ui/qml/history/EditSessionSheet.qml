import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import QtQuick.Templates as T
import Tessary.Engine
import Tessary.Ui

// Corrects what a review recorded about a past round: task, ratings, note. The start, the end,
// the focused time and the events are the measurement and stay as they are.
Popup {
    id: sheet
    objectName: "editSessionSheet"
    property string sessionId: ""
    property string task: ""
    property var tasks: []
    property int focusRating: 4
    property int startEnergy: 4
    property int endEnergy: 3
    property string note: ""

    function edit(id) {
        const round = AppStore.sessionForEditing(id)
        if (round.tasks === undefined)
            return
        sessionId = id
        task = round.task
        tasks = ["未分类"].concat(round.tasks)
        focusRating = round.focusRating
        startEnergy = round.startEnergy
        endEnergy = round.endEnergy
        note = round.note
        open()
    }

    anchors.centerIn: T.Overlay.overlay
    width: 560
    modal: true
    focus: true
    padding: 28
    closePolicy: Popup.CloseOnEscape
    T.Overlay.modal: Rectangle { color: Qt.rgba(0, 0, 0, 0.32) }
    // Opaque under the card's tint: the rows behind must not read through a form.
    background: Rectangle {
        radius: 24
        color: TessaryTheme.background
        DialogCard { anchors.fill: parent; radius: 24 }
    }

    contentItem: ColumnLayout {
        spacing: 16
        Column {
            Layout.fillWidth: true
            spacing: 4
            Label { text: "编辑这条记录"; size: 22; weight: Font.Bold }
            Label {
                width: parent.width
                text: "开始时间、专注时长和过程记录是测量结果，不能修改。"
                size: 12; color: TessaryTheme.secondaryText; wrapMode: Text.WordWrap; elide: Text.ElideNone
            }
        }
        RowLayout {
            Layout.fillWidth: true
            spacing: 10
            Label { text: "任务"; size: 12; weight: Font.DemiBold }
            TessaryComboBox {
                objectName: "editTask"
                label: "任务"
                Layout.fillWidth: true
                model: sheet.tasks
                currentIndex: Math.max(0, sheet.tasks.indexOf(sheet.task === "" ? "未分类" : sheet.task))
                onActivated: (i) => sheet.task = i === 0 ? "" : sheet.tasks[i]
            }
        }
        RatingRow {
            Layout.fillWidth: true
            title: "整体专注程度"; low: "很散"; high: "很稳"; tint: TessaryTheme.mint
            value: sheet.focusRating
            onPicked: (n) => sheet.focusRating = n
        }
        RatingRow {
            Layout.fillWidth: true
            title: "开始时的精力"; low: "耗尽"; high: "充沛"; tint: TessaryTheme.amber
            value: sheet.startEnergy
            onPicked: (n) => sheet.startEnergy = n
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
                objectName: "editNote"
                width: parent.width
                text: sheet.note
                onTextEdited: sheet.note = text
                font.family: TessaryTheme.fontFamily
                font.pixelSize: 13
                padding: 12
                color: TessaryTheme.primaryText
                placeholderTextColor: TessaryTheme.secondaryText
                placeholderText: "例如：30 分钟后开始费力…"
                background: Rectangle { radius: 12; color: TessaryTheme.faint(0.06) }
                Accessible.name: "一句话记录"
            }
        }
        RowLayout {
            Layout.fillWidth: true
            Layout.topMargin: 6
            spacing: 10
            Item { Layout.fillWidth: true }
            SecondaryButton { objectName: "editCancel"; text: "取消"; onClicked: sheet.close() }
            PrimaryButton {
                objectName: "editSave"
                text: "保存修改"
                onClicked: {
                    AppStore.editSession(sheet.sessionId, sheet.task, sheet.focusRating, sheet.startEnergy,
                                         sheet.endEnergy, sheet.note)
                    sheet.close()
                }
            }
        }
    }
}
