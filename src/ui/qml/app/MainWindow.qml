import QtQuick
import QtQuick.Window
import Tessary.Engine
import Tessary.Ui

// The main window: the desktop's own title bar, the gradient under all content.
Window {
    id: window
    title: "汀禾"
    width: 1180
    height: 790
    minimumWidth: 1080
    minimumHeight: 720
    visible: true
    color: TessaryTheme.background
    ContentView { anchors.fill: parent }
    Shortcut { sequence: StandardKey.Quit; context: Qt.ApplicationShortcut; onActivated: Qt.quit() }
}
