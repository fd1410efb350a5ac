import QtQuick
import QtQuick.Dialogs
import Tessary.Engine

// The save dialog every CSV export asks: the desktop's own where it has one.
FileDialog {
    id: dialog
    objectName: "exportDialog"
    title: "导出 CSV"
    fileMode: FileDialog.SaveFile
    nameFilters: ["CSV 文件 (*.csv)"]
    defaultSuffix: "csv"
    acceptLabel: "保存"
    rejectLabel: "取消"
    currentFolder: Exporter.suggestedFolder
    onAccepted: Exporter.finish(selectedFile)
    onRejected: Exporter.finish("")

    property Connections requests: Connections {
        target: Exporter
        function onLocationRequested() {
            dialog.selectedFile = Exporter.suggestedLocation
            dialog.open()
            if (!dialog.visible) // no window to open in: answer, or the export would wait forever
                Exporter.finish("")
        }
    }
}
