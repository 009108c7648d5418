#pragma once

class QCoreApplication;

// Makes Qt's own texts (standard buttons, file and print dialogs) Japanese like
// the program's, whatever the desktop's language.
void installJapaneseTranslations(QCoreApplication &app);
