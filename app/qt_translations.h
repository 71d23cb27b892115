#pragma once
// Qt's own texts (file dialog labels, standard buttons, the text boxes'
// context menus) in Japanese, to match the rest of the window.
class QCoreApplication;

namespace vellumark::app {

// Installs Qt's Japanese translation on `application`, whatever the system
// locale says: the window is Japanese, and an English "Cancel" beside
// Japanese captions reads as a fault. False when the translation is not
// installed (the program then runs with Qt's English texts).
bool InstallQtTranslations(QCoreApplication& application);

}  // namespace vellumark::app
