#include "translations/texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

void installRussianTexts()
{
    // Per application object: a test may make a new one after the first is gone.
    static QPointer<QTranslator> installed;
    if (installed)
        return;
    // The resource sits in a static library: referenced here, or the linker leaves it out.
    Q_INIT_RESOURCE(translations);
    auto *texts = new QTranslator(QCoreApplication::instance());
    if (!texts->load(QStringLiteral(":/translations/velmor4_ru.qm")))
        qFatal("the Russian texts are not in the program");
    QCoreApplication::installTranslator(texts);
    installed = texts;
}

void installQtRussianTexts()
{
    auto *qtTexts = new QTranslator(QCoreApplication::instance());
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    const QString systemDir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
#else
    const QString systemDir = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
#endif
    for (const QString &dir :
         {QCoreApplication::applicationDirPath() + QStringLiteral("/translations"), systemDir}) {
        if (qtTexts->load(QStringLiteral("qtbase_ru"), dir)) {
            QCoreApplication::installTranslator(qtTexts);
            return;
        }
    }
    delete qtTexts;
}

QString asClause(const QString &sentence)
{
    QString clause = sentence;
    while (clause.endsWith(QLatin1Char('.')) || clause.endsWith(QLatin1Char('!')))
        clause.chop(1);
    if (!clause.isEmpty())
        clause[0] = clause.at(0).toLower();
    return clause;
}
