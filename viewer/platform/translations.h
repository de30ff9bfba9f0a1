#pragma once
// Qt's own texts (file dialogs, their questions, standard buttons, the web
// view's context menu) in German, like every text of ours.

class QCoreApplication;

namespace wunt {

// Loads the German translations of Qt's libraries into `app`; false when
// they are not installed (Qt then speaks English, nothing else changes).
bool InstallGermanTranslations(QCoreApplication& app);

}  // namespace wunt
