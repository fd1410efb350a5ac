import QtQuick
import QtQuick.Dialogs
import Tessary.Engine

// The save dialog every CSV export asks: the desktop's own where it has one. A new one
// each time, so Qt's fallback dialog takes the colours of the appearance now in force
// (it keeps the palette it was made with) and holds no memory between exports.
QtObject {
    id: exporter
    property var parentWindow

    readonly property Component dialog: Component {
        FileDialog {
            objectName: "exportDialog"
            title: "导出 CSV"
            fileMode: FileDialog.SaveFile
            nameFilters: ["CSV 文件 (*.csv)"]
            defaultSuffix: "csv"
            acceptLabel: "保存"
            rejectLabel: "取消"
            currentFolder: Exporter.suggestedFolder
            // Focus goes back where it was, so the keyboard carries on from the export button.
            property Item returnFocusTo
            onAccepted: { Exporter.finish(selectedFile); done() }
            onRejected: { Exporter.finish(""); done() }
            function done() {
                if (returnFocusTo)
                    returnFocusTo.forceActiveFocus()
                destroy()
            }
        }
    }

    // Qt's fallback dialog as a keyboard user expects a save dialog: the name field has the
    // focus with the name before ".csv" selected, and Return in it saves. Its basic style draws
    // the path bar on a fixed white field; that field takes the palette's base like the others.
    // Its name field and its up button carry no name for a screen reader; they get one, and the
    // type picker's inner text, which repeats the picker, is left out.
    function finishFallback(asked) {
        let field = null, save = null
        const visit = (item) => {
            if (item.upButton !== undefined && item.background) {
                item.background.color = Qt.binding(() => item.palette.base)
                if (item.upButton)
                    item.upButton.Accessible.name = "上一级文件夹"
            }
            if (item.displayText !== undefined && item.editable === false && item.contentItem)
                item.contentItem.Accessible.ignored = true
            if (item.objectName === "fileNameTextField")
                field = item
            if (item.text === asked.acceptLabel && item.clicked !== undefined)
                save = item
            for (let i = 0; i < item.children.length; ++i)
                visit(item.children[i])
        }
        visit(parentWindow.contentItem)
        if (!field)
            return // the desktop's own dialog
        field.Accessible.name = "文件名"
        field.forceActiveFocus()
        field.select(0, Math.max(0, field.text.lastIndexOf(".")) || field.text.length)
        if (save)
            field.accepted.connect(() => { if (save.enabled) save.clicked() })
    }

    property Connections requests: Connections {
        target: Exporter
        function onLocationRequested() {
            const asked = exporter.dialog.createObject(exporter, {
                parentWindow: exporter.parentWindow,
                returnFocusTo: exporter.parentWindow ? exporter.parentWindow.activeFocusItem : null })
            asked.selectedFile = Exporter.suggestedLocation
            asked.open()
            if (!asked.visible) { // no window to open in: answer, or the export would wait forever
                Exporter.finish("")
                asked.destroy()
            } else if (exporter.parentWindow) {
                exporter.finishFallback(asked)
            }
        }
    }
}
