import QtQuick
import QtQuick.Window

Window {
    title: "汀禾"
    width: 1180
    height: 790
    minimumWidth: 1080
    minimumHeight: 720
    visible: true
    color: "#10151c"

    Text {
        anchors.centerIn: parent
        color: "#e6edf3"
        font.pixelSize: 22
        text: "汀禾 · 已载入 " + loadedSessionCount + " 轮专注记录"
    }
}
