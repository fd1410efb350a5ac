import QtQuick
import QtQuick.Shapes
import Tessary.Ui

// The window background: top-leading to bottom-trailing through three even stops.
Shape {
    id: shape
    ShapePath {
        strokeWidth: -1
        fillGradient: LinearGradient {
            x1: 0; y1: 0
            x2: shape.width; y2: shape.height
            GradientStop { position: 0.0; color: TessaryTheme.background }
            GradientStop { position: 0.5; color: TessaryTheme.gradientMiddle }
            GradientStop { position: 1.0; color: TessaryTheme.gradientEnd }
        }
        startX: 0; startY: 0
        PathLine { x: shape.width; y: 0 }
        PathLine { x: shape.width; y: shape.height }
        PathLine { x: 0; y: shape.height }
        PathLine { x: 0; y: 0 }
    }
}
