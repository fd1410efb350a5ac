#pragma once

class QCoreApplication;

namespace tessary::ui {

// Qt's own texts (the fallback file dialog, a text field's menu, message boxes) in Chinese like
// ours: Qt's catalogues for its widgets and for Qt Quick, and the labels of the fallback file
// dialog that those catalogues lack. The translators belong to the application.
void installChineseQtTexts(QCoreApplication &app);

} // namespace tessary::ui
