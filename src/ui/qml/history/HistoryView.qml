import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Tessary.Engine
import Tessary.Ui

// Every archived round, newest first, with the export and one-by-one deletion.
// The list builds rows only as they scroll into view.
ListView {
    id: view
    objectName: "historyView"
    // The round whose deletion awaits confirmation ("" for none); the alert is up exactly while it is set.
    property string sessionToDelete: ""
    property int menuRow: -1

    function askToDelete(row) {
        if (row < 0 || row >= count)
            return
        currentIndex = row
        sessionToDelete = History.sessionIdAt(row)
        deleteDialog.open()
    }
    // The header's height changed: a view that was at its top is put back there.
    function keepTop(header) {
        const wasAtTop = contentY <= originY + Math.max(0, header.height - header.settledHeight) + 1
        header.settledHeight = header.height
        if (wasAtTop)
            positionViewAtBeginning()
    }
    function editRow(row) {
        if (row < 0 || row >= count)
            return
        currentIndex = row
        editSheet.edit(History.sessionIdAt(row))
    }
    function openRowMenu(row, x, y) {
        if (row < 0 || row >= count)
            return
        currentIndex = row
        menuRow = row
        rowMenu.popup(x, y)
    }

    model: History
    clip: true
    spacing: 10
    focus: true
    // Tab follows the reading order: the header's export button, then the rows. The list sits
    // before its header in Qt's focus chain, so it is reached through a stop after the button.
    activeFocusOnTab: false
    Keys.onTabPressed: moveFocus(true)
    Keys.onBacktabPressed: moveFocus(false)
    function moveFocus(forward) {
        const next = headerItem ? headerItem.listStop.nextItemInFocusChain(forward) : null
        if (next)
            next.forceActiveFocus(forward ? Qt.TabFocusReason : Qt.BacktabFocusReason)
    }
    Accessible.role: Accessible.List
    Accessible.name: "专注记录"
    Accessible.description: "上下方向键选择，回车编辑，Delete 删除，菜单键打开操作"
    keyNavigationEnabled: true
    highlightFollowsCurrentItem: false
    currentIndex: -1
    boundsBehavior: Flickable.StopAtBounds
    reuseItems: true
    cacheBuffer: 400
    bottomMargin: 30
    ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }

    Keys.onDeletePressed: askToDelete(currentIndex)
    Keys.onPressed: (event) => {
        if (event.key === Qt.Key_Backspace) { // laptops without a Delete key
            askToDelete(currentIndex)
            event.accepted = true
        }
    }
    Keys.onMenuPressed: if (currentItem) openRowMenu(currentIndex, currentItem.x + 40, currentItem.y + 30)
    // Tab into the list lands on its first row, so the keys below act on something.
    // The rows have the keyboard when the list or its current row has the focus (the list
    // also has active focus while its header's button has it: it is a focus scope).
    readonly property bool rowsFocused: Window.activeFocusItem !== null
                                        && (Window.activeFocusItem === view || Window.activeFocusItem === currentItem)
    // Later, not inside the change: choosing a row moves the focus onto it.
    onRowsFocusedChanged: if (rowsFocused && currentIndex < 0 && count > 0) Qt.callLater(() => { if (currentIndex < 0) currentIndex = 0 })
    // The row's menu is not in Qt 6.4's accessibility tree: its actions have keys of their own.
    Keys.onReturnPressed: if (currentItem) editRow(currentIndex)
    Keys.onEnterPressed: if (currentItem) editRow(currentIndex)

    header: Column {
        x: 30
        width: view.width - 60
        spacing: 22
        topPadding: 34
        bottomPadding: 22
        // The list keeps its content position when the header grows (its texts laid out,
        // the empty state giving way to the summary); at the top, stay at the top.
        property real settledHeight: 0
        readonly property Item listStop: stop
        onHeightChanged: Qt.callLater(view.keepTop, this)

        RowLayout {
            width: parent.width
            SectionHeading {
                Layout.fillWidth: true
                eyebrow: "Focus Journal"
                title: "每一轮，都是一条线索"
                subtitle: "记录不是监督，而是帮你找到更适合自己的节律。"
            }
            SecondaryButton {
                objectName: "exportCsvButton"
                Layout.alignment: Qt.AlignVCenter
                text: "导出 CSV"
                symbol: "square.and.arrow.up"
                onClicked: Exporter.begin()
                // Next in the focus chain after the button (its child, outside every layout).
                Item {
                    id: stop
                    activeFocusOnTab: true
                    // Its focus given up first, or the list would hand the focus straight back to it.
                    onActiveFocusChanged: if (activeFocus) { focus = false; view.forceActiveFocus(Qt.TabFocusReason) }
                }
            }
        }
        HistoryEmptyState { visible: History.empty; width: parent.width }
        RowLayout {
            visible: !History.empty
            width: parent.width
            spacing: 14
            SummaryMetric { Layout.fillWidth: true; Layout.preferredWidth: 1; symbol: "circle.grid.2x2.fill"; value: History.sessionCountText; label: "总轮次" }
            SummaryMetric { Layout.fillWidth: true; Layout.preferredWidth: 1; symbol: "clock.fill"; value: History.totalMinutesText; label: "累计分钟" }
            SummaryMetric { Layout.fillWidth: true; Layout.preferredWidth: 1; symbol: "sparkles"; value: History.averageRatingText; label: "平均专注评分" }
        }
    }

    delegate: SessionRow {
        x: 30
        width: view.width - 60
        current: view.rowsFocused && ListView.isCurrentItem
        onSelected: { view.currentIndex = index; view.forceActiveFocus() }
        onMenuRequested: (mx, my) => {
            const p = mapToItem(view, mx, my)
            view.openRowMenu(index, p.x, p.y)
        }
    }

    Menu {
        id: rowMenu
        objectName: "rowMenu"
        padding: 5
        onClosed: view.forceActiveFocus()
        background: Rectangle {
            implicitWidth: 170
            radius: 10
            color: TessaryTheme.dark ? "#1A2427" : "#FFFFFF"
            border.color: TessaryTheme.hairline
        }
        MenuItem {
            objectName: "editRowItem"
            text: "编辑这条记录"
            implicitHeight: 32
            contentItem: Row {
                spacing: 8
                leftPadding: 4
                Symbol { name: "slider.horizontal.3"; size: 13; color: TessaryTheme.primaryText; anchors.verticalCenter: parent.verticalCenter }
                Label { text: "编辑这条记录"; size: 13; anchors.verticalCenter: parent.verticalCenter }
            }
            background: Rectangle { radius: 6; color: parent.highlighted ? TessaryTheme.faint(0.08) : "transparent" }
            onTriggered: view.editRow(view.menuRow)
        }
        MenuItem {
            objectName: "deleteRowItem"
            text: "删除这条记录"
            implicitHeight: 32
            contentItem: Row {
                spacing: 8
                leftPadding: 4
                Symbol { name: "trash"; size: 13; color: TessaryTheme.coral; anchors.verticalCenter: parent.verticalCenter }
                Label { text: "删除这条记录"; size: 13; color: TessaryTheme.coral; anchors.verticalCenter: parent.verticalCenter }
            }
            background: Rectangle { radius: 6; color: parent.highlighted ? TessaryTheme.withAlpha(TessaryTheme.coral, 0.12) : "transparent" }
            onTriggered: view.askToDelete(view.menuRow)
        }
    }

    EditSessionSheet {
        id: editSheet
        onClosed: view.forceActiveFocus()
    }

    ConfirmDialog {
        id: deleteDialog
        objectName: "deleteDialog"
        title: "删除这条专注记录？"
        message: "删除后无法恢复。"
        confirmText: "删除"
        onConfirmed: {
            if (view.sessionToDelete !== "")
                AppStore.removeSessionById(view.sessionToDelete)
        }
        onClosed: {
            view.sessionToDelete = ""
            view.forceActiveFocus()
        }
    }
}
