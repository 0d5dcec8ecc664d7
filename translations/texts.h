#pragma once

#include <QString>

// The code and the form carry English texts; their Russian comes from velmor4_ru.ts, compiled
// into every program. The window speaks Russian always, the command-line tool the user's
// language.

// Installs the Russian texts on the running application; later calls do nothing.
void installRussianTexts();

// Qt's own texts in Russian (dialogs, standard buttons, the command-line parser): the copy
// beside the executable (the Windows packages), else the system's (Debian's l10n package).
void installQtRussianTexts();

// A sentence as it reads inside a line of the command-line tool: "The file is empty!" becomes
// "the file is empty".
QString asClause(const QString &sentence);
